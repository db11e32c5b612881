#ifndef ZAN_PLATFORM_POSIX_CLOCK_POSIX_H_
#define ZAN_PLATFORM_POSIX_CLOCK_POSIX_H_

#include "platform/clock.h"

namespace zan {

// The system's wall clock.
class SystemClock : public Clock {
 public:
  int64_t Now() override;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_POSIX_CLOCK_POSIX_H_
