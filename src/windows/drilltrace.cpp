#include "drilltrace.h"

#include <chrono>

namespace tamberlo {

Q_LOGGING_CATEGORY(lcDrill, "tamberlo.drill", QtWarningMsg)

qint64 traceMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace tamberlo
