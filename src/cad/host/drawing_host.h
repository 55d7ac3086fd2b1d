// The built-in drawing host: a small CAD that holds one drawing in memory, opens and saves DXF,
// runs the command strings the system types, and serves the CAD object model
// (cad_interface.h) over it. On platforms without COM every ProgID resolves to it.
//
//   DxfDrawingFiles files;
//   ScriptedInteraction user;
//   DrawingHost host(user, files);
//   host.Open("site.dxf");
//   auto app = host.GetActiveObject(TargetProgID);   // or pass `host` as the CadConnector
//   ... app->ActiveDocument()->SendCommand("-INSERT\r\"*out.dxf\"\r0,0 1 0\r");
//   host.SaveAs("result.dxf");
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cad/cad_interface.h"
#include "cad/cad_services.h"
#include "cad/host/drawing_files.h"
#include "cad/host/host_document.h"
#include "cad/host/interaction.h"

namespace vorn::cad::host {

struct HostState;

// Entity kinds of the opened file the host does not model, with their counts: saving keeps
// them as they were read, but the commands do not see them.
struct OpenReport {
  std::map<std::string, int> skippedEntities;
};

class DrawingHost final : public CadConnector {
 public:
  DrawingHost(Interaction& interaction, DrawingFiles& files);
  ~DrawingHost() override;
  DrawingHost(const DrawingHost&) = delete;
  DrawingHost& operator=(const DrawingHost&) = delete;

  void NewDrawing();
  // Replaces the drawing by the file's; throws CadError naming the file when it is unreadable
  // (the previous drawing then stays). Skipped kinds are also noted on the prompt log.
  OpenReport Open(const std::filesystem::path& path);
  // Saves a drawing opened from a file in that file's version and code page, keeping whatever
  // the session did not change as it was read; a new drawing as R12 DXF with $DWGCODEPAGE.
  // Only to the path given, never implicitly over the opened file; a failed save throws
  // CadError and leaves an existing file as it was. Returns what could not be kept (also noted
  // on the prompt log), empty when everything was.
  std::string SaveAs(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const;
  std::filesystem::path OpenedPath() const;

  void SetInteraction(Interaction& interaction);
  // The host stops asking `interaction` (a window that goes away) when it is the one it asks;
  // requests then fail as cancelled ones do.
  void ReleaseInteraction(const Interaction& interaction);

  // CadConnector: any ProgID names the host; it is running while a drawing is open.
  bool HasActiveObject(std::string_view progId) override;
  CadApplicationPtr GetActiveObject(std::string_view progId) override;
  CadApplicationPtr Application();
  // The host's stand-in for the desktop: its window is never minimised and comes to the front.
  DesktopWindows& Windows();

  // Removes the last undo group whole: the changes between a StartUndoMark and its
  // EndUndoMark, or one change made outside marks. False when there is nothing to undo.
  bool Undo();
  // Brings back the group the last undo removed; any new change forgets what redo could bring.
  bool Redo();
  bool CanUndo() const;
  bool CanRedo() const;
  // Grows with every change, undo, redo and new or opened drawing: a view that remembers it
  // knows when to draw again, and a window when the drawing differs from what it saved.
  int64_t ChangeCount() const;

  // The handles a window (all inside) or crossing window (inside or crossing) selection
  // would take, as the selection sets resolve it.
  std::vector<std::string> HandlesInWindow(const TAcadPoint& corner1, const TAcadPoint& corner2,
                                           bool crossing) const;

  // Everything Utility.Prompt wrote and the host's own command echo and messages.
  std::string PromptLog() const;
  void ClearPromptLog();
  // Called with each piece of text as it is written to the prompt log (a command line pane).
  void SetPromptListener(std::function<void(const std::string&)> listener);

  // The drawing itself, for inspection (tests, rendering, the batch tool).
  const HostDocument& Document() const;

 private:
  std::shared_ptr<HostState> state_;
};

}  // namespace vorn::cad::host
