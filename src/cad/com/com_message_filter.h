// The COM message filter of the window thread: an IMessageFilter that answers as
// TMessageFilter does (a busy CAD's rejected call is retried after 1000 ms), and the registry
// that installs filters with CoRegisterMessageFilter. Filters only work in a single-threaded
// apartment, which the program's window thread is.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "cad/message_filter.h"

namespace vorn::cad::com {

// Lives as long as its owner; COM's references do not decide its lifetime, so the owner must
// keep it alive while it is registered (ComSession does, from start-up to shut-down).
class ComMessageFilter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                                             LPINTERFACEINFO interfaceInfo) override;
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount,
                                            DWORD rejectType) override;
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

  // The handle under which TMessageFilter registers this object.
  std::uintptr_t Handle() {
    return reinterpret_cast<std::uintptr_t>(static_cast<IMessageFilter*>(this));
  }
  // References COM holds at the moment (for tests).
  ULONG References() const { return references_; }

 private:
  TMessageFilter answers_;
  ULONG references_ = 0;
};

// CoRegisterMessageFilter behind the portable registry. Handles are IMessageFilter pointers
// (0 = none). The registry keeps the reference COM hands back for the filter it replaced until
// that filter is installed again or the registry ends.
class ComMessageFilterRegistry final : public MessageFilterRegistry {
 public:
  ComMessageFilterRegistry() = default;
  ~ComMessageFilterRegistry() override;
  ComMessageFilterRegistry(const ComMessageFilterRegistry&) = delete;
  ComMessageFilterRegistry& operator=(const ComMessageFilterRegistry&) = delete;

  // The filter installed before; on failure (not a single-threaded apartment) nothing changes,
  // 0 is returned and LastError() tells why.
  std::uintptr_t Install(std::uintptr_t filter) override;
  HRESULT LastError() const { return lastError_; }

 private:
  std::vector<IMessageFilter*> held_;
  HRESULT lastError_ = S_OK;
};

}  // namespace vorn::cad::com
