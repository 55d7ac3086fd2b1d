// The housekeeping every drawing command does in the CAD: finding and activating it, waiting
// until it is idle, layers, the hidden line type, numbered blocks, temporary selection sets and
// the insertion of a block at a point the user picks. Free functions over the object model.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cad/cad_interface.h"
#include "cad/cad_services.h"

namespace vorn::cad {

// Idle waits give up after this long by default: a CAD that never becomes idle must not hang
// the program.
inline constexpr int kDefaultIdleTimeoutMs = 120000;

inline constexpr const char* kLinetypeLoadError = "線種ロードエラー";
inline constexpr const char* kTempSelectionSet = "ssTemp";
inline constexpr const char* kVornSelectionSet = "ssVorn";
inline constexpr const char* kBlockPrefix = "VORN_";

// The surroundings the operations run in: the target's ProgID and the platform services.
struct CadLink {
  std::string TargetProgID;
  DesktopWindows& windows;
  CadClock& clock;
  UserMessages& messages;
  int idleTimeoutMs = kDefaultIdleTimeoutMs;
};

// WaitCadIdle ran out of time. The user has already been told; the command should end.
class CadIdleTimeout : public CadError {
 public:
  using CadError::CadError;
};

// The message shown when the CAD stays busy for `timeoutMs`.
std::string IdleTimeoutMessage(int timeoutMs);

bool IsCadActive(CadConnector& connector, std::string_view TargetProgID);
void ActivateCad(CadApplication& application, const CadLink& link);

// "GetGcadState", "GetZcadState" or "GetAcadState": the member that tells whether this kind
// of CAD is idle.
std::string IdleStateMember(std::string_view TargetProgID);
// Sleeps one interval, polls the state member until it reports quiescent, sleeps once more.
// After link.idleTimeoutMs of polling it shows IdleTimeoutMessage and throws CadIdleTimeout.
void WaitCadIdle(CadApplication& application, int intervalMs, const CadLink& link);

bool EnsureLayer(CadApplication& application, const std::string& name);

// Where the hidden line type comes from for a kind of CAD.
struct HiddenLinetypeSource {
  std::string name;         // "HIDDEN2", or "HIDDEN" for the "PCAD" kind
  std::string file;         // line-type file; empty when the kind is unknown
  bool viaCommand = false;  // "PCAD": loaded by typing -LINETYPE
};
HiddenLinetypeSource HiddenLinetypeFor(std::string_view TargetProgID);
inline constexpr const char* kPcadLinetypeCommand = "-LINETYPE\rL\rHIDDEN\rMM.LIN\r\r";
// The line type's name as the CAD spells it, or empty (loaded by command, or it failed; a
// failure shows kLinetypeLoadError).
std::string LoadHiddenLinetype(CadApplication& application, const CadLink& link);

// prefix + (the largest serial after the prefix among the block names, plus one).
std::string NextBlockName(CadDocument& document, std::string_view prefix);
std::shared_ptr<CadBlock> CreateNumberedBlock(CadDocument& document, std::string_view prefix);
// Deletes the first block whose name matches without regard to case; errors are swallowed.
void DeleteBlockDef(CadDocument& document, std::string_view name);

// The selection set of that name, emptied; created when missing.
std::shared_ptr<CadSelectionSet> GetOrCreateSelectionSet(CadDocument& document,
                                                         const std::string& name);
std::shared_ptr<CadSelectionSet> GetTempSelectionSet(CadDocument& document);
// The object ID of the drawing's last entity; 0 when there is none or on any error.
int64_t GetLastObjectID(CadDocument& document);
// Explodes and deletes the last entity when it references `blockName` (exact comparison).
bool ExplodeLastBlockRef(CadDocument& document, std::string_view blockName,
                         TAcadPoint& insertionPoint);

// The command that asks the user to place `blockName` with scale 1 and rotation 0.
std::string InsertBlockByUserCommand(std::string_view blockName);
// Lets the user place the block, then dissolves the reference into plain entities and removes
// the definition. A cancelled placement leaves the definition. The main window is minimised
// for the duration and restored even when a call fails.
void InsertBlockByUser(CadApplication& application, CadDocument& document, CadBlock& block,
                       const CadLink& link, MainWindowState& mainWindow);

}  // namespace vorn::cad
