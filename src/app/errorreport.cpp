#include "app/errorreport.h"

#include "dictionary/runtimeerror.h"

#include <cstdio>

namespace tamberlo {

QString runtimeErrorText(const std::exception &error)
{
    if (const auto *runtime = dynamic_cast<const RuntimeError *>(&error))
        return QString::fromUtf8(runtime->what());
    return QStringLiteral("実行時エラー: ") + QString::fromLocal8Bit(error.what());
}

void writeToStderr(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("tamberlo: ") + text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace tamberlo
