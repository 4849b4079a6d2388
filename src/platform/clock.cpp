#include "platform/clock.h"

#include <chrono>

namespace tamberlo {

qint64 SteadyClock::nowMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace tamberlo
