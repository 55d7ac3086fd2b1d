#include "cad/cad_operations.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "dxf/ascii_case.h"
#include "dxf/number_format.h"

namespace vorn::cad {
namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The serial after the prefix as the CAD's integer conversion reads it: a decimal number with
// an optional sign that fits 32 bits; anything else counts as 0.
int32_t SerialValue(std::string_view rest) {
  int32_t value = 0;
  const char* first = rest.data();
  const char* last = rest.data() + rest.size();
  if (first != last && *first == '+') ++first;
  if (first == last) return 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last) return 0;
  return value;
}

// Restores the main window however the insertion ends.
class RestoreOnExit {
 public:
  explicit RestoreOnExit(MainWindowState& window) : window_(window) {}
  ~RestoreOnExit() { window_.Restore(); }
  RestoreOnExit(const RestoreOnExit&) = delete;
  RestoreOnExit& operator=(const RestoreOnExit&) = delete;

 private:
  MainWindowState& window_;
};

void DeleteQuietly(CadSelectionSet& set) {
  try {
    set.Delete();
  } catch (const CadError&) {
  }
}

bool PollQuiescent(CadApplication& application, const std::string& member) {
  std::shared_ptr<CadState> state;
  if (member == "GetGcadState") {
    state = application.GetGcadState();
  } else if (member == "GetZcadState") {
    state = application.GetZcadState();
  } else {
    state = application.GetAcadState();
  }
  if (!state) throw CadError(member + " returned no state object");
  return state->IsQuiescent();
}

}  // namespace

std::string IdleTimeoutMessage(int timeoutMs) {
  return "CAD の処理が " + FormatGeneral(timeoutMs / 1000.0) +
         " 秒たっても終わりません．コマンドを中止します．";
}

bool IsCadActive(CadConnector& connector, std::string_view TargetProgID) {
  try {
    return connector.HasActiveObject(TargetProgID);
  } catch (const CadError&) {
    return false;
  }
}

void ActivateCad(CadApplication& application, const CadLink& link) {
  const int64_t hwnd = application.Hwnd();
  if (link.windows.IsIconic(hwnd)) {
    link.windows.OpenIcon(hwnd);
    link.clock.Sleep(500);
  }
  link.windows.SetForegroundWindow(hwnd);
  // Only a CAD that really came to the front gets the ESC; otherwise it would go elsewhere.
  if (link.windows.GetForegroundWindow() == hwnd) {
    link.windows.KeyDownEscape();
    link.clock.Sleep(5);
    link.windows.KeyUpEscape();
    link.clock.Sleep(200);
  }
}

std::string IdleStateMember(std::string_view TargetProgID) {
  const std::string id = UpperAscii(TargetProgID);
  if (Contains(id, "GCAD")) return "GetGcadState";
  if (Contains(id, "ZWCAD")) return "GetZcadState";
  return "GetAcadState";
}

void WaitCadIdle(CadApplication& application, int intervalMs, const CadLink& link) {
  const std::string member = IdleStateMember(link.TargetProgID);
  link.clock.Sleep(intervalMs);
  const int64_t start = link.clock.NowMilliseconds();
  while (!PollQuiescent(application, member)) {
    if (link.clock.NowMilliseconds() - start >= link.idleTimeoutMs) {
      const std::string message = IdleTimeoutMessage(link.idleTimeoutMs);
      link.messages.ShowMessage(message);
      throw CadIdleTimeout(message);
    }
    // A zero interval must still let time pass, or the limit could never be reached.
    link.clock.Sleep(std::max(intervalMs, 1));
  }
  link.clock.Sleep(intervalMs);
}

bool EnsureLayer(CadApplication& application, const std::string& name) {
  auto layers = application.ActiveDocument()->Layers();
  const int count = layers->Count();
  for (int i = 0; i < count; ++i) {
    if (UpperAscii(layers->Item(i)->Name()) == name) return true;
  }
  layers->Add(name);
  return true;
}

HiddenLinetypeSource HiddenLinetypeFor(std::string_view TargetProgID) {
  const std::string id = UpperAscii(TargetProgID);
  if (Contains(id, "GCAD")) return {"HIDDEN2", "gcadiso.lin", false};
  if (Contains(id, "PCAD")) return {"HIDDEN", "MM.LIN", true};
  if (Contains(id, "AUTO")) return {"HIDDEN2", "acadiso.lin", false};
  if (Contains(id, "BRIC")) return {"HIDDEN2", "iso.lin", false};
  if (Contains(id, "ZWCA")) return {"HIDDEN2", "zwcadiso.lin", false};
  return {"HIDDEN2", "", false};
}

std::string LoadHiddenLinetype(CadApplication& application, const CadLink& link) {
  const HiddenLinetypeSource source = HiddenLinetypeFor(link.TargetProgID);
  try {
    auto document = application.ActiveDocument();
    auto linetypes = document->Linetypes();
    const int count = linetypes->Count();
    for (int i = 0; i < count; ++i) {
      const std::string name = linetypes->Item(i)->Name();
      if (UpperAscii(name) == source.name) return name;
    }
    if (source.viaCommand) {
      document->SetVariable("FILEDIA", CadValue{int32_t{0}});
      document->SendCommand(kPcadLinetypeCommand);
      link.clock.Sleep(100);
      document->SetVariable("FILEDIA", CadValue{int32_t{1}});
      return "";
    }
    linetypes->Load(source.name, source.file);
    const int loaded = linetypes->Count();
    if (loaded == 0) throw CadError("no line type after loading " + source.name);
    return linetypes->Item(loaded - 1)->Name();
  } catch (const CadError&) {
    link.messages.ShowMessage(kLinetypeLoadError);
    try {
      link.windows.SetForegroundWindow(application.Hwnd());
    } catch (const CadError&) {
      // The message has been shown; a CAD that cannot even name its window stays behind.
    }
    return "";
  }
}

std::string NextBlockName(CadDocument& document, std::string_view prefix) {
  const std::string upperPrefix = UpperAscii(prefix);
  auto blocks = document.Blocks();
  const int count = blocks->Count();
  int64_t largest = 0;
  for (int i = 0; i < count; ++i) {
    const std::string name = UpperAscii(blocks->Item(i)->Name());
    if (name.compare(0, upperPrefix.size(), upperPrefix) != 0) continue;
    largest =
        std::max<int64_t>(largest, SerialValue(std::string_view(name).substr(upperPrefix.size())));
  }
  // 64 bits: a block numbered at the 32-bit limit must not wrap the next serial to negative.
  return std::string(prefix) + std::to_string(largest + 1);
}

std::shared_ptr<CadBlock> CreateNumberedBlock(CadDocument& document, std::string_view prefix) {
  const std::string name = NextBlockName(document, prefix);
  return document.Blocks()->Add(TAcadPoint{0, 0, 0}, name);
}

void DeleteBlockDef(CadDocument& document, std::string_view name) {
  try {
    const std::string wanted = UpperAscii(name);
    auto blocks = document.Blocks();
    const int count = blocks->Count();
    for (int i = 0; i < count; ++i) {
      auto block = blocks->Item(i);
      if (UpperAscii(block->Name()) == wanted) {
        block->Delete();
        return;
      }
    }
  } catch (const CadError&) {
    // A definition that cannot be deleted (still referenced, say) is simply kept.
  }
}

std::shared_ptr<CadSelectionSet> GetOrCreateSelectionSet(CadDocument& document,
                                                         const std::string& name) {
  auto sets = document.SelectionSets();
  const int count = sets->Count();
  const std::string wanted = UpperAscii(name);
  for (int i = 0; i < count; ++i) {
    auto set = sets->Item(i);
    if (UpperAscii(set->Name()) == wanted) {
      set->Clear();
      return set;
    }
  }
  return sets->Add(name);
}

std::shared_ptr<CadSelectionSet> GetTempSelectionSet(CadDocument& document) {
  return GetOrCreateSelectionSet(document, kTempSelectionSet);
}

int64_t GetLastObjectID(CadDocument& document) {
  std::shared_ptr<CadSelectionSet> set;
  int64_t id = 0;
  try {
    set = GetTempSelectionSet(document);
    set->Select(kSelectLast, TAcadPoint{}, TAcadPoint{});
    if (set->Count() > 0) id = set->Item(0)->ObjectID();
  } catch (const CadError&) {
    id = 0;
  }
  if (set) DeleteQuietly(*set);
  return id;
}

bool ExplodeLastBlockRef(CadDocument& document, std::string_view blockName,
                         TAcadPoint& insertionPoint) {
  std::shared_ptr<CadSelectionSet> set;
  bool exploded = false;
  try {
    set = GetTempSelectionSet(document);
    set->Select(kSelectLast, TAcadPoint{}, TAcadPoint{});
    if (set->Count() > 0) {
      auto entity = set->Item(0);
      if (entity->EntityName() == kAcDbBlockReference && entity->Name() == blockName) {
        insertionPoint = entity->InsertionPoint();
        entity->Explode();
        entity->Delete();
        exploded = true;
      }
    }
  } catch (const CadError&) {
    exploded = false;
  }
  if (set) DeleteQuietly(*set);
  return exploded;
}

std::string InsertBlockByUserCommand(std::string_view blockName) {
  return "-INSERT\r" + std::string(blockName) + "\rS\r1.0\rR\r0.0\r";
}

void InsertBlockByUser(CadApplication& application, CadDocument& document, CadBlock& block,
                       const CadLink& link, MainWindowState& mainWindow) {
  mainWindow.Minimize();
  RestoreOnExit restore(mainWindow);
  const std::string name = block.Name();
  const int64_t before = GetLastObjectID(document);
  document.SendCommand(InsertBlockByUserCommand(name));
  WaitCadIdle(application, 200, link);
  TAcadPoint placedAt;
  if (GetLastObjectID(document) != before && ExplodeLastBlockRef(document, name, placedAt)) {
    DeleteBlockDef(document, name);
  }
}

}  // namespace vorn::cad
