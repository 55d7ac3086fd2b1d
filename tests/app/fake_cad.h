// A small stand-in for the CAD: a running application whose document records variables and
// prompts and answers angle requests from a queue (nothing queued = the user cancels).
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "cad/cad_interface.h"
#include "cad/cad_services.h"

namespace vorn::testing {

struct FakeCadLog {
  std::vector<std::string> events;  // "BLIPMODE=1", "GetAngle <prompt>", "Prompt <text>"
  std::deque<double> angles;
  bool failActiveDocument = false;
};

class FakeUtility final : public cad::CadUtility {
 public:
  explicit FakeUtility(FakeCadLog& log) : log_(log) {}
  void Prompt(const std::string& text) override { log_.events.push_back("Prompt " + text); }
  TAcadPoint GetPoint(const std::optional<TAcadPoint>&, const std::string&) override {
    throw cad::CadError("no point");
  }
  double GetAngle(const std::optional<TAcadPoint>& base, const std::string& prompt) override {
    log_.events.push_back(std::string(base ? "GetAngle(base) " : "GetAngle ") + prompt);
    if (log_.angles.empty()) throw cad::CadError("cancelled");
    const double a = log_.angles.front();
    log_.angles.pop_front();
    return a;
  }
  cad::PickedEntity GetEntity(const std::string&) override { throw cad::CadError("no entity"); }

 private:
  FakeCadLog& log_;
};

class FakeDocument final : public cad::CadDocument {
 public:
  explicit FakeDocument(FakeCadLog& log) : log_(log) {}
  std::shared_ptr<cad::CadBlock> ModelSpace() override { throw Unused(); }
  std::shared_ptr<cad::CadBlocks> Blocks() override { throw Unused(); }
  std::shared_ptr<cad::CadLayers> Layers() override { throw Unused(); }
  std::shared_ptr<cad::CadLinetypes> Linetypes() override { throw Unused(); }
  std::shared_ptr<cad::CadSelectionSets> SelectionSets() override { throw Unused(); }
  std::shared_ptr<cad::CadUtility> Utility() override {
    return std::make_shared<FakeUtility>(log_);
  }
  void SendCommand(const std::string& text) override { log_.events.push_back("Send " + text); }
  void SetVariable(const std::string& name, const cad::CadValue& value) override {
    const auto* i = std::get_if<int32_t>(&value);
    log_.events.push_back(name + "=" + (i ? std::to_string(*i) : "?"));
  }
  cad::CadValue GetVariable(const std::string&) override { return {}; }
  void StartUndoMark() override {}
  void EndUndoMark() override {}
  void Regen(int) override {}
  cad::CadEntityPtr ObjectIDToObject(int64_t) override { throw Unused(); }

 private:
  static cad::CadError Unused() { return cad::CadError("not used by these tests"); }
  FakeCadLog& log_;
};

class FakeApplication final : public cad::CadApplication {
 public:
  explicit FakeApplication(FakeCadLog& log) : log_(log) {}
  int64_t Hwnd() override { return 42; }
  std::shared_ptr<cad::CadDocument> ActiveDocument() override {
    if (log_.failActiveDocument) throw cad::CadError("no document");
    return std::make_shared<FakeDocument>(log_);
  }
  std::shared_ptr<cad::CadState> GetAcadState() override { return nullptr; }
  std::shared_ptr<cad::CadState> GetZcadState() override { return nullptr; }
  std::shared_ptr<cad::CadState> GetGcadState() override { return nullptr; }

 private:
  FakeCadLog& log_;
};

class FakeCad final : public cad::CadConnector, public cad::DesktopWindows, public cad::CadClock {
 public:
  bool running = false;
  std::vector<std::string> askedProgIds;
  FakeCadLog log;

  CadEnvironment Environment() { return CadEnvironment{*this, *this, *this}; }

  bool HasActiveObject(std::string_view progId) override {
    askedProgIds.emplace_back(progId);
    return running;
  }
  cad::CadApplicationPtr GetActiveObject(std::string_view) override {
    if (!running) throw cad::CadError("not running");
    return std::make_shared<FakeApplication>(log);
  }
  bool IsIconic(int64_t) override { return false; }
  void OpenIcon(int64_t) override {}
  void SetForegroundWindow(int64_t) override {}
  int64_t GetForegroundWindow() override { return 42; }
  void KeyDownEscape() override {}
  void KeyUpEscape() override {}
  void Sleep(int) override {}
  int64_t NowMilliseconds() override { return 0; }
};

}  // namespace vorn::testing
