#pragma once

#include <QColor>
#include <algorithm>
#include <cmath>

namespace tamberlo {

// The least contrast at which ordinary text reads (WCAG 2, level AA).
inline constexpr double ReadableContrast = 4.5;

// WCAG 2's ratio of the colours' relative luminances (0 for black, 1 for white): from 1 (equal
// luminance) to 21 (black and white), whichever colour is the lighter.
inline double contrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &colour) {
        const auto linear = [](float c) { return c <= 0.03928f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        const QColor rgb = colour.toRgb();
        return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
    };
    const auto [darker, lighter] = std::minmax({luminance(a), luminance(b)});
    return (lighter + 0.05) / (darker + 0.05);
}

} // namespace tamberlo
