#include "platform/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace tamberlo {

// Asked for a face it does not have, Qt first has fontconfig sort every face for each size and
// weight; asked for the face that stands in for it, Qt finds the same font at once.
static QString shownFace(const QString &face)
{
    const QStringList installed = QFontDatabase::families();
    for (const QString &name : QStringList{face} + QFont::substitutes(face))
        for (const QString &family : installed)
            if (family.compare(name, Qt::CaseInsensitive) == 0)
                return family;
    return face;
}

void installFontSubstitutes()
{
    // IPA P Gothic is proportional like the Windows face; Liberation Serif shares Times New Roman's metrics.
    QFont::insertSubstitutions(MsPGothic, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    QFont::insertSubstitutions(TimesNewRoman, {QStringLiteral("Liberation Serif")});
}

QFont designFont(const QString &face, qreal points, Weight weight, Slant slant)
{
    QFont font(shownFace(face));
    font.setPointSizeF(points);
    font.setWeight(weight == Weight::Bold ? QFont::Bold : QFont::Normal);
    font.setItalic(slant == Slant::Italic);
    return font;
}

} // namespace tamberlo
