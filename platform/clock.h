#ifndef ZAN_PLATFORM_CLOCK_H_
#define ZAN_PLATFORM_CLOCK_H_

#include <cstdint>

namespace zan {

// Wall-clock time as the stored time stamps use it: seconds since
// 1970-01-01 00:00 UTC. Tests move a fake clock to make accounts due.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t Now() = 0;
};

}  // namespace zan

#endif  // ZAN_PLATFORM_CLOCK_H_
