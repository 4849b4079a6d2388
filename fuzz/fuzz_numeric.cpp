// The numeric value of any text is a number (never NaN), and its half-period either fits or is an overflow.
#include "dictionary/runtimeerror.h"
#include "windows/drillrules.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const double value = tamberlo::numericValue(std::string_view(reinterpret_cast<const char *>(data), size));
    if (std::isnan(value))
        std::abort();
    try {
        const std::int32_t ms = tamberlo::halfPeriodMs(value);
        if (std::fabs(ms - value * 1000 / 2) > 0.5)
            std::abort();
    } catch (const tamberlo::RuntimeError &e) {
        if (e.kind() != tamberlo::ErrorKind::Overflow || std::fabs(value * 1000 / 2) < 2147483647.0)
            std::abort();
    }
    return 0;
}
