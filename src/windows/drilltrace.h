#pragma once

#include <QLoggingCategory>

namespace tamberlo {

// Off by default; QT_LOGGING_RULES="tamberlo.drill.debug=true" prints every label change of the
// drill with a monotonic time in microseconds, for timing measurements and end-to-end tests.
Q_DECLARE_LOGGING_CATEGORY(lcDrill)

qint64 traceMicroseconds();

} // namespace tamberlo
