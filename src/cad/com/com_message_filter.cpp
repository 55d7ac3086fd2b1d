#include "cad/com/com_message_filter.h"

#include <algorithm>

namespace vorn::cad::com {

HRESULT STDMETHODCALLTYPE ComMessageFilter::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
    *object = static_cast<IMessageFilter*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ComMessageFilter::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE ComMessageFilter::Release() {
  if (references_ > 0) --references_;
  return references_;
}

DWORD STDMETHODCALLTYPE ComMessageFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) {
  return answers_.HandleInComingCall();
}

DWORD STDMETHODCALLTYPE ComMessageFilter::RetryRejectedCall(HTASK, DWORD, DWORD rejectType) {
  // -1 (cancel the call) is 0xFFFFFFFF as a DWORD, which is what COM looks for.
  return static_cast<DWORD>(answers_.RetryRejectedCall(rejectType));
}

DWORD STDMETHODCALLTYPE ComMessageFilter::MessagePending(HTASK, DWORD, DWORD) {
  return answers_.MessagePending();
}

ComMessageFilterRegistry::~ComMessageFilterRegistry() {
  for (IMessageFilter* filter : held_) filter->Release();
}

std::uintptr_t ComMessageFilterRegistry::Install(std::uintptr_t filter) {
  auto* wanted = reinterpret_cast<IMessageFilter*>(filter);
  IMessageFilter* previous = nullptr;
  lastError_ = CoRegisterMessageFilter(wanted, &previous);
  if (FAILED(lastError_)) return 0;
  // COM now holds its own reference on the filter it installed: ours can go.
  if (const auto kept = std::find(held_.begin(), held_.end(), wanted); kept != held_.end()) {
    (*kept)->Release();
    held_.erase(kept);
  }
  if (previous != nullptr) held_.push_back(previous);
  return reinterpret_cast<std::uintptr_t>(previous);
}

}  // namespace vorn::cad::com
