// Small stand-ins for the platform services and for a CAD whose calls fail, to reach the error
// paths of the CAD operations that the drawing host never takes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cad/cad_interface.h"
#include "cad/cad_operations.h"
#include "cad/cad_services.h"

namespace vorn::cad::testing {

// Sleeping only advances the time, so a test of a long wait finishes at once.
class FakeClock final : public CadClock {
 public:
  void Sleep(int milliseconds) override {
    sleeps.push_back(milliseconds);
    now += milliseconds;
  }
  int64_t NowMilliseconds() override { return now; }
  int64_t now = 0;
  std::vector<int> sleeps;
};

class RecordingMessages final : public UserMessages {
 public:
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

class RecordingWindows final : public DesktopWindows {
 public:
  bool IsIconic(int64_t) override { return iconic; }
  void OpenIcon(int64_t hwnd) override { calls.push_back("OpenIcon " + std::to_string(hwnd)); }
  void SetForegroundWindow(int64_t hwnd) override {
    calls.push_back("SetForegroundWindow " + std::to_string(hwnd));
    if (comesToFront) foreground = hwnd;
  }
  int64_t GetForegroundWindow() override { return foreground; }
  void KeyDownEscape() override { calls.push_back("EscDown"); }
  void KeyUpEscape() override { calls.push_back("EscUp"); }
  bool iconic = false;
  bool comesToFront = true;
  int64_t foreground = 0;
  std::vector<std::string> calls;
};

class RecordingWindow final : public MainWindowState {
 public:
  void Minimize() override { calls.push_back("Minimize"); }
  void Restore() override { calls.push_back("Restore"); }
  std::vector<std::string> calls;
};

class ScriptedState final : public CadState {
 public:
  explicit ScriptedState(std::function<bool()> answer) : answer_(std::move(answer)) {}
  bool IsQuiescent() override { return answer_(); }

 private:
  std::function<bool()> answer_;
};

// An application that records which idle-state member was asked and answers from `busyPolls`
// (that many "busy" answers, then "idle"; -1 stays busy for ever).
class IdleProbeApplication final : public CadApplication {
 public:
  int64_t Hwnd() override { return 77; }
  CadDocumentPtr ActiveDocument() override { throw CadError("no document in this fake"); }
  std::shared_ptr<CadState> GetAcadState() override { return State("GetAcadState"); }
  std::shared_ptr<CadState> GetZcadState() override { return State("GetZcadState"); }
  std::shared_ptr<CadState> GetGcadState() override { return State("GetGcadState"); }
  std::vector<std::string> asked;
  int busyPolls = 0;

 private:
  std::shared_ptr<CadState> State(const char* member) {
    asked.push_back(member);
    return std::make_shared<ScriptedState>([this] {
      if (busyPolls < 0) return false;
      if (busyPolls == 0) return true;
      --busyPolls;
      return false;
    });
  }
};

// Line types of a fake CAD: a list of names, and a Load that records or fails.
class FakeLinetypes final : public CadLinetypes {
 public:
  class Named final : public CadLinetype {
   public:
    explicit Named(std::string name) : name_(std::move(name)) {}
    std::string Name() override { return name_; }
    void Delete() override {}

   private:
    std::string name_;
  };
  int Count() override { return static_cast<int>(names.size()); }
  std::shared_ptr<CadLinetype> Item(int index) override {
    return std::make_shared<Named>(names.at(static_cast<size_t>(index)));
  }
  std::shared_ptr<CadLinetype> Add(const std::string& name) override {
    names.push_back(name);
    return Item(Count() - 1);
  }
  void Load(const std::string& name, const std::string& file) override {
    loads.push_back(name + "|" + file);
    if (failLoad) throw CadError("cannot load " + name);
    names.push_back(loadedSpelling.empty() ? name : loadedSpelling);
  }
  std::vector<std::string> names{"CONTINUOUS"};
  std::vector<std::string> loads;
  bool failLoad = false;
  std::string loadedSpelling;
};

// A document with only line types, variables and the command line; every other member fails,
// as a CAD that has gone away would.
class FakeDocument final : public CadDocument {
 public:
  std::shared_ptr<CadBlock> ModelSpace() override { throw CadError("ModelSpace failed"); }
  std::shared_ptr<CadBlocks> Blocks() override { throw CadError("Blocks failed"); }
  std::shared_ptr<CadLayers> Layers() override { throw CadError("Layers failed"); }
  std::shared_ptr<CadLinetypes> Linetypes() override { return linetypes; }
  std::shared_ptr<CadSelectionSets> SelectionSets() override {
    throw CadError("SelectionSets failed");
  }
  std::shared_ptr<CadUtility> Utility() override { throw CadError("Utility failed"); }
  void SendCommand(const std::string& text) override { log.push_back("SendCommand " + text); }
  void SetVariable(const std::string& name, const CadValue& value) override {
    log.push_back("SetVariable " + name + " " + std::to_string(std::get<int32_t>(value)));
  }
  CadValue GetVariable(const std::string&) override { return {}; }
  void StartUndoMark() override {}
  void EndUndoMark() override {}
  void Regen(int) override {}
  CadEntityPtr ObjectIDToObject(int64_t) override { throw CadError("no object"); }

  std::shared_ptr<FakeLinetypes> linetypes = std::make_shared<FakeLinetypes>();
  std::vector<std::string> log;
};

class FakeDocumentApplication final : public CadApplication {
 public:
  int64_t Hwnd() override { return 55; }
  CadDocumentPtr ActiveDocument() override { return document; }
  std::shared_ptr<CadState> GetAcadState() override { return Idle(); }
  std::shared_ptr<CadState> GetZcadState() override { return Idle(); }
  std::shared_ptr<CadState> GetGcadState() override { return Idle(); }
  std::shared_ptr<FakeDocument> document = std::make_shared<FakeDocument>();

 private:
  static std::shared_ptr<CadState> Idle() {
    return std::make_shared<ScriptedState>([] { return true; });
  }
};

}  // namespace vorn::cad::testing
