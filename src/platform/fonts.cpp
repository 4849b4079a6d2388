#include "fonts.h"

#include <QStringList>

namespace tamberlo {

void installFontSubstitutes()
{
    // IPA P Gothic is proportional like the Windows face; Liberation Serif shares Times New Roman's metrics.
    QFont::insertSubstitutions(MsPGothic, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    QFont::insertSubstitutions(TimesNewRoman, {QStringLiteral("Liberation Serif")});
}

QFont designFont(const QString &face, qreal points, Weight weight, Slant slant)
{
    QFont font(face);
    font.setPointSizeF(points);
    font.setWeight(weight == Weight::Bold ? QFont::Bold : QFont::Normal);
    font.setItalic(slant == Slant::Italic);
    return font;
}

} // namespace tamberlo
