#pragma once

#include <QFont>
#include <QString>

namespace tamberlo {

// The faces the window designs name; installFontSubstitutes() maps them onto faces Debian ships.
inline const QString MsPGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString TimesNewRoman = QStringLiteral("Times New Roman");

void installFontSubstitutes();

enum class Weight { Normal, Bold };
enum class Slant { Upright, Italic };

// A design's font, named by the installed face that shows it: the design's face or its first substitute.
QFont designFont(const QString &face, qreal points, Weight weight = Weight::Normal,
                 Slant slant = Slant::Upright);

} // namespace tamberlo
