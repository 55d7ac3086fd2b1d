// The COM message filter's answers while an outgoing call waits on a busy CAD. The answers are
// plain logic so they can be tested everywhere; only the registration touches the system.
#pragma once

#include <cstdint>

namespace vorn::cad {

// Installs a filter and gives back the one it replaced (CoRegisterMessageFilter on Windows).
class MessageFilterRegistry {
 public:
  virtual ~MessageFilterRegistry() = default;
  virtual std::uintptr_t Install(std::uintptr_t filter) = 0;
};

class TMessageFilter {
 public:
  static constexpr uint32_t kServerCallIsHandled = 0;
  static constexpr int32_t kRetryAfterMs = 1000;
  static constexpr int32_t kCancelCall = -1;
  static constexpr uint32_t kRejectRetryLater = 2;  // SERVERCALL_RETRYLATER
  static constexpr uint32_t kWaitNoProcess = 1;     // PENDINGMSG_WAITNOPROCESS

  uint32_t HandleInComingCall() const { return kServerCallIsHandled; }
  int32_t RetryRejectedCall(uint32_t rejectType) const {
    return rejectType == kRejectRetryLater ? kRetryAfterMs : kCancelCall;
  }
  uint32_t MessagePending() const { return kWaitNoProcess; }

  // `self` is the handle under which the system knows this filter.
  void RegisterFilter(MessageFilterRegistry& registry, std::uintptr_t self);
  void RevokeFilter(MessageFilterRegistry& registry);
  bool Registered() const { return registered_; }

 private:
  std::uintptr_t FOldFilter = 0;
  bool registered_ = false;
};

}  // namespace vorn::cad
