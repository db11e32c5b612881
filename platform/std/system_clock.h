#ifndef ZAN_PLATFORM_STD_SYSTEM_CLOCK_H_
#define ZAN_PLATFORM_STD_SYSTEM_CLOCK_H_

#include "platform/clock.h"

namespace zan {

// The system's wall clock.
class SystemClock : public Clock {
 public:
  int64_t Now() override;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_STD_SYSTEM_CLOCK_H_
