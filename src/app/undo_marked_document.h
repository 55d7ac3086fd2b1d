// The target CAD's active document inside one undo mark, as a drawing command holds it: opened
// once the boxes are read, closed with a regeneration when the command went through, and
// closed quietly after a failure, since a CAD left inside an open undo mark would fold the
// user's next edits into this group.
#pragma once

#include <string_view>

#include "cad/cad_interface.h"
#include "cad/cad_operations.h"
#include "cad/cad_services.h"

namespace vorn {

struct UndoMarkedDocument {
  cad::CadApplicationPtr application;
  cad::CadDocumentPtr document;
  bool undoMarkOpen = false;

  // Takes the running CAD, brings it to the front with no command of its own running and
  // opens the undo mark in its active document. Throws cad::CadError.
  void Open(cad::CadConnector& connector, std::string_view progId, const cad::CadLink& link) {
    Connect(connector, progId, link);
    StartUndoMark();
  }

  // The first half of Open, for a command that checks something in the CAD before its undo
  // mark. Throws cad::CadError.
  void Connect(cad::CadConnector& connector, std::string_view progId, const cad::CadLink& link) {
    application = connector.GetActiveObject(progId);
    cad::ActivateCad(*application, link);
    document = application->ActiveDocument();
  }

  // Throws cad::CadError.
  void StartUndoMark() {
    document->StartUndoMark();
    undoMarkOpen = true;
  }

  // Throws cad::CadError.
  void Close(bool regen = true) {
    undoMarkOpen = false;
    document->EndUndoMark();
    if (regen) document->Regen(0);
  }

  // After a failure: a mark still open is closed (and the drawing regenerated when asked);
  // a refusal of the CAD's is swallowed.
  void CloseLeftOpen(bool regen = false) {
    if (!undoMarkOpen) return;
    try {
      document->EndUndoMark();
      if (regen) document->Regen(0);
    } catch (const cad::CadError&) {
    }
  }
};

}  // namespace vorn
