// The host's inner state shared by the object-model wrappers and the command interpreter.
// Private to the host.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cad/cad_interface.h"
#include "cad/host/drawing_files.h"
#include "cad/host/entity_geometry.h"
#include "cad/host/host_document.h"
#include "cad/host/interaction.h"

namespace vorn::cad::host {

struct HostSelectionSetData {
  std::string name;
  std::vector<int64_t> ids;
  bool deleted = false;
  int64_t checkedAt = -1;  // the drawing's change count when `ids` were last pruned
};

struct HostState {
  HostDocument doc;
  bool open = false;
  int64_t drawingSerial = 0;  // grows with each new or opened drawing
  std::filesystem::path openedPath;
  Interaction* interaction = nullptr;
  DrawingFiles* files = nullptr;
  std::string promptLog;
  std::vector<std::shared_ptr<HostSelectionSetData>> selectionSets;
  std::vector<HostDocument> undoGroups;  // the drawing before each group
  std::vector<HostDocument> redoGroups;  // the drawing after each undone group, latest last
  int undoMarkDepth = 0;
  int busy = 0;
  std::set<int64_t> highlighted;
  int64_t foregroundWindow = 0;
  int64_t changeCount = 0;  // grows with every change and undo
  // While a typed command runs outside undo marks, its changes share one undo group.
  bool inCommand = false;
  bool commandGroupOpen = false;

  std::function<void(const std::string&)> onLog;

  void Log(const std::string& text) {
    promptLog += text;
    if (onLog) onLog(text);
  }
  // Call before changing the drawing: opens a one-change undo group outside marks.
  void BeginChange();
  void PushUndoGroup();
  bool Undo();
  bool Redo();
  // Forgets every undo and redo group (a new or another drawing).
  void ResetHistory();
  std::string CurrentLayer() const;
};

inline constexpr int64_t kHostWindow = 0x4855;  // the host's stand-in window handle

// The entity of that ID in model space or any block, and the list that holds it.
HostEntity* FindEntity(HostDocument& doc, int64_t id, std::vector<HostEntity>** container);
HostEntity* FindByHandle(HostDocument& doc, std::string_view handle);

// Appends the entities with fresh IDs and handles; returns the IDs.
std::vector<int64_t> AppendEntities(HostState& state, std::vector<HostEntity>& container,
                                    std::vector<dxf::Entity> entities);

// The block's entities placed by `placement`; nested references stay references.
std::vector<dxf::Entity> PlaceBlockEntities(const HostBlock& block, const Placement& placement);

// The plan outlines of an entity (block references through their block's entities).
std::vector<std::vector<TAcadPoint>> EntityOutlines(const HostDocument& doc,
                                                    const dxf::Entity& entity, int depth = 0);

// Adds the file's layers, line types and blocks that the drawing does not have yet.
void MergeDefinitions(HostState& state, const dxf::Drawing& file);

CadEntityPtr MakeEntityObject(const std::shared_ptr<HostState>& state, int64_t id);
CadDocumentPtr MakeDocumentObject(const std::shared_ptr<HostState>& state);
CadApplicationPtr MakeApplicationObject(const std::shared_ptr<HostState>& state);

// Loads (or reloads) the line type from a line-type file; false when the file lacks it.
bool LoadLinetypeInto(HostState& state, const std::string& name, const std::string& file);

// Handles of the model-space entities a window (all inside) or crossing window (inside or
// crossing) selects, in drawing order.
std::vector<std::string> HandlesInWindow(const HostDocument& doc, const TAcadPoint& c1,
                                         const TAcadPoint& c2, bool crossing);

// Runs typed command text (Ctrl+C "\003" and ESC cancel the running command).
void RunCommandText(HostState& state, std::string_view text);

}  // namespace vorn::cad::host
