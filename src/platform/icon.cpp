#include "platform/icon.h"

namespace tamberlo {

QIcon programIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/tamberlo-16.xpm"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/tamberlo-32.xpm"), QSize(32, 32));
    return icon;
}

} // namespace tamberlo
