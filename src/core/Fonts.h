#pragma once

#include <QFont>

namespace kivo {

// Maps the font names the window design uses ("Courier", "MS Sans Serif", "Arial", ...) to
// families that are installed, with a Korean face behind each so Korean texts render. Safe to
// call more than once.
void installFontSubstitutions();

// The fixed-pitch font of the views and send boxes, 9.75 pt.
[[nodiscard]] QFont courierFont(qreal pointSize = 9.75);
// The window's ordinary control font.
[[nodiscard]] QFont controlFont(qreal pointSize = 8.25);

} // namespace kivo
