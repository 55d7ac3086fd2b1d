// A CAD played by scripted automation objects, one per role, wired as the object model links
// them: the application gives the document and the state objects, the document its
// collections and Utility, each collection its item. Tests add the answers they look at.
#pragma once

#include <map>
#include <string>

#include "cad/dispatch/dispatch_objects.h"
#include "scripted_dispatch.h"

namespace vorn::cad::testing {

struct ScriptedCad {
  ScriptedCad() {
    Link(*application, "ActiveDocument", document);
    for (const char* member : {"GetAcadState", "GetZcadState", "GetGcadState"}) {
      Link(*application, member, state);
    }
    Link(*document, "ModelSpace", modelSpace);
    Link(*document, "Blocks", blocks);
    Link(*document, "Layers", layers);
    Link(*document, "Linetypes", linetypes);
    Link(*document, "SelectionSets", selectionSets);
    Link(*document, "Utility", utility);
    Link(*document, "ObjectIDToObject", entity);
    for (const auto& [collection, item] : {std::pair{blocks, block},
                                           {layers, layer},
                                           {linetypes, linetype},
                                           {selectionSets, selectionSet}}) {
      Link(*collection, "Item", item);
      Link(*collection, "Add", item);
    }
    for (const auto& container : {modelSpace, block, selectionSet}) {
      Link(*container, "Item", entity);
      Link(*container, "AddLine", entity);
      Link(*container, "AddText", entity);
    }
  }

  static void Link(ScriptedObject& from, const std::string& member, const ScriptedPtr& to) {
    from.Returns(member, DispatchObjectPtr(to));
  }

  ScriptedObject& Object(const std::string& role) {
    const std::map<std::string, ScriptedPtr> roles{{"Application", application},
                                                   {"Document", document},
                                                   {"ModelSpace", modelSpace},
                                                   {"Blocks", blocks},
                                                   {"Block", block},
                                                   {"Layers", layers},
                                                   {"Layer", layer},
                                                   {"Linetypes", linetypes},
                                                   {"Linetype", linetype},
                                                   {"SelectionSets", selectionSets},
                                                   {"SelectionSet", selectionSet},
                                                   {"Utility", utility},
                                                   {"Entity", entity},
                                                   {"State", state}};
    return *roles.at(role);
  }

  CadApplicationPtr App() { return dispatch::WrapApplication(application); }
  CadDocumentPtr Doc() { return dispatch::WrapDocument(document); }
  CadEntityPtr Entity() { return dispatch::WrapEntity(entity); }

  CallLog log;
  ScriptedPtr application = Scripted(log, "Application");
  ScriptedPtr document = Scripted(log, "Document");
  ScriptedPtr modelSpace = Scripted(log, "ModelSpace");
  ScriptedPtr blocks = Scripted(log, "Blocks");
  ScriptedPtr block = Scripted(log, "Block");
  ScriptedPtr layers = Scripted(log, "Layers");
  ScriptedPtr layer = Scripted(log, "Layer");
  ScriptedPtr linetypes = Scripted(log, "Linetypes");
  ScriptedPtr linetype = Scripted(log, "Linetype");
  ScriptedPtr selectionSets = Scripted(log, "SelectionSets");
  ScriptedPtr selectionSet = Scripted(log, "SelectionSet");
  ScriptedPtr utility = Scripted(log, "Utility");
  ScriptedPtr entity = Scripted(log, "Entity");
  ScriptedPtr state = Scripted(log, "State");
};

}  // namespace vorn::cad::testing
