#include "cad/message_filter.h"

namespace vorn::cad {

void TMessageFilter::RegisterFilter(MessageFilterRegistry& registry, std::uintptr_t self) {
  if (registered_) return;  // a second registration would lose the original filter
  FOldFilter = registry.Install(self);
  registered_ = true;
}

void TMessageFilter::RevokeFilter(MessageFilterRegistry& registry) {
  if (!registered_) return;
  registry.Install(FOldFilter);
  FOldFilter = 0;
  registered_ = false;
}

}  // namespace vorn::cad
