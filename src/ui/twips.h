// Placing widgets by twips: every edge is rounded to the nearest logical pixel on its own, so
// neighbouring regions that share an edge in twips share it in pixels.
#pragma once

#include <QRect>
#include <QWidget>
#include <cmath>

#include "ui/layout.h"

namespace morvek {

inline int TwipsToPixels(double twips) {
    return int(std::lround(twips / kTwipsPerPixel));
}

// Whole pixels covering at least the given twips.
inline int TwipsToPixelsCeil(double twips) {
    return int(std::ceil(twips / kTwipsPerPixel - 1e-9));
}

inline QRect PixelRect(const TwipsRect& r) {
    const int left = TwipsToPixels(r.left), top = TwipsToPixels(r.top);
    return QRect(left, top, TwipsToPixels(r.left + r.width) - left,
                 TwipsToPixels(r.top + r.height) - top);
}

inline void PlaceTwips(QWidget* widget, const TwipsRect& r) {
    widget->setGeometry(PixelRect(r));
}

inline void PlaceTwips(QWidget* widget, double left, double top, double width, double height) {
    PlaceTwips(widget, TwipsRect{left, top, width, height});
}

}  // namespace morvek
