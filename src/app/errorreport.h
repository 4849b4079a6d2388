#pragma once

#include <QString>
#include <exception>

namespace tamberlo {

// The report of a run-time error: its Japanese name, with the file, line and reason where known.
QString runtimeErrorText(const std::exception &error);

void writeToStderr(const QString &text);

} // namespace tamberlo
