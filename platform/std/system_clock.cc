#include "platform/std/system_clock.h"

#include <ctime>

namespace zan {

int64_t SystemClock::Now() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace zan
