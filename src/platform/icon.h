#pragma once

#include <QIcon>

namespace tamberlo {

// The rhombus icon shared by the program and its three windows.
QIcon programIcon();

} // namespace tamberlo
