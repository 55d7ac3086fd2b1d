#include "cad/host/drawing_host.h"

#include "cad/host/host_state.h"

namespace vorn::cad::host {
namespace {

class HostDesktop final : public DesktopWindows {
 public:
  explicit HostDesktop(HostState& state) : state_(state) {}
  bool IsIconic(int64_t) override { return false; }
  void OpenIcon(int64_t) override {}
  void SetForegroundWindow(int64_t hwnd) override { state_.foregroundWindow = hwnd; }
  int64_t GetForegroundWindow() override { return state_.foregroundWindow; }
  // Commands never stay pending in the host, so ESC has nothing to cancel.
  void KeyDownEscape() override {}
  void KeyUpEscape() override {}

 private:
  HostState& state_;
};

// The host's desktop lives beside its state, so the reference Windows() hands out stays valid.
struct StateWithDesktop : HostState {
  StateWithDesktop() : desktop(*this) {}
  HostDesktop desktop;
};

}  // namespace

DrawingHost::DrawingHost(Interaction& interaction, DrawingFiles& files)
    : state_(std::make_shared<StateWithDesktop>()) {
  state_->interaction = &interaction;
  state_->files = &files;
}

DrawingHost::~DrawingHost() = default;

void DrawingHost::NewDrawing() {
  state_->doc = NewHostDocument();
  state_->open = true;
  ++state_->drawingSerial;
  state_->openedPath.clear();
  state_->selectionSets.clear();
  state_->ResetHistory();
  state_->highlighted.clear();
}

OpenReport DrawingHost::Open(const std::filesystem::path& path) {
  dxf::Drawing drawing;
  try {
    drawing = state_->files->Read(path);
  } catch (const std::exception& e) {
    throw CadError("cannot open \"" + path.string() + "\": " + e.what());
  }
  NewDrawing();
  state_->doc = HostDocumentFromDrawing(drawing);
  state_->openedPath = path;
  if (!drawing.skippedEntities.empty()) {
    state_->Log(dxf::SkippedEntitiesNote(drawing) + " (kept as read)\r\n");
  }
  return OpenReport{drawing.skippedEntities};
}

std::string DrawingHost::SaveAs(const std::filesystem::path& path) {
  if (!state_->open) throw CadError("no drawing is open");
  try {
    const std::string note = state_->files->Save(DrawingFromHostDocument(state_->doc), path);
    if (!note.empty()) state_->Log(note + "\r\n");
    return note;
  } catch (const std::exception& e) {
    throw CadError("cannot save \"" + path.string() + "\": " + e.what());
  }
}

void DrawingHost::Close() {
  state_->open = false;
  ++state_->drawingSerial;
  state_->doc = HostDocument{};
  state_->openedPath.clear();
  state_->selectionSets.clear();
  state_->ResetHistory();
  state_->highlighted.clear();
}

bool DrawingHost::IsOpen() const { return state_->open; }
std::filesystem::path DrawingHost::OpenedPath() const { return state_->openedPath; }
void DrawingHost::SetInteraction(Interaction& interaction) { state_->interaction = &interaction; }
void DrawingHost::ReleaseInteraction(const Interaction& interaction) {
  if (state_->interaction == &interaction) state_->interaction = nullptr;
}

bool DrawingHost::HasActiveObject(std::string_view) { return state_->open; }

CadApplicationPtr DrawingHost::GetActiveObject(std::string_view progId) {
  if (!state_->open) {
    throw CadError("no running CAD for \"" + std::string(progId) + "\": no drawing is open");
  }
  return Application();
}

CadApplicationPtr DrawingHost::Application() { return MakeApplicationObject(state_); }

DesktopWindows& DrawingHost::Windows() { return static_cast<StateWithDesktop&>(*state_).desktop; }

bool DrawingHost::Undo() { return state_->open && state_->Undo(); }
bool DrawingHost::Redo() { return state_->open && state_->Redo(); }
bool DrawingHost::CanUndo() const { return state_->open && !state_->undoGroups.empty(); }
bool DrawingHost::CanRedo() const { return state_->open && !state_->redoGroups.empty(); }
int64_t DrawingHost::ChangeCount() const { return state_->changeCount; }
std::vector<std::string> DrawingHost::HandlesInWindow(const TAcadPoint& corner1,
                                                      const TAcadPoint& corner2,
                                                      bool crossing) const {
  return host::HandlesInWindow(state_->doc, corner1, corner2, crossing);
}
std::string DrawingHost::PromptLog() const { return state_->promptLog; }
void DrawingHost::ClearPromptLog() { state_->promptLog.clear(); }
void DrawingHost::SetPromptListener(std::function<void(const std::string&)> listener) {
  state_->onLog = std::move(listener);
}
const HostDocument& DrawingHost::Document() const { return state_->doc; }

}  // namespace vorn::cad::host
