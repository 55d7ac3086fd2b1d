#include "cad/message_filter.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorn::cad {
namespace {

class RecordingRegistry final : public MessageFilterRegistry {
 public:
  std::uintptr_t Install(std::uintptr_t filter) override {
    installed.push_back(filter);
    const std::uintptr_t previous = current;
    current = filter;
    return previous;
  }
  std::uintptr_t current = 0xAB;
  std::vector<std::uintptr_t> installed;
};

TEST(TMessageFilter, AnswersIncomingCallsRejectedCallsAndPendingMessages) {
  TMessageFilter filter;
  EXPECT_EQ(filter.HandleInComingCall(), 0u);
  EXPECT_EQ(filter.RetryRejectedCall(2), 1000);
  for (uint32_t other : {0u, 1u, 3u, 100u}) EXPECT_EQ(filter.RetryRejectedCall(other), -1);
  EXPECT_EQ(filter.MessagePending(), 1u);
}

TEST(TMessageFilter, RevokingReinstallsTheFilterItReplaced) {
  RecordingRegistry registry;
  TMessageFilter filter;
  filter.RegisterFilter(registry, 0x10);
  filter.RegisterFilter(registry, 0x10);  // a second registration must not lose 0xAB
  EXPECT_TRUE(filter.Registered());
  filter.RevokeFilter(registry);
  filter.RevokeFilter(registry);
  EXPECT_EQ(registry.current, 0xABu);
  EXPECT_EQ(registry.installed, (std::vector<std::uintptr_t>{0x10, 0xAB}));
  EXPECT_FALSE(filter.Registered());
}

}  // namespace
}  // namespace vorn::cad
