// Twips, colours and fonts: the units the windows are described in, turned
// into what Qt draws with.
#pragma once

#include "core/helpers.h"

#include <QColor>
#include <QFont>
#include <QRect>

namespace mq::ui {

// Logical dots per inch of the primary screen (96 when there is none).
double logicalDpi();

// 1440 twips an inch: 15 twips a pixel at 96 dpi, scaled for the screen.
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);
QRect twipsRect(int left, int top, int width, int height);

// A stored &H00BBGGRR colour as a QColor, and back.
QColor toQColor(Colour c);
Colour fromQColor(const QColor& c);

// The windows' dialog font ("MS Sans Serif", with close substitutes where it
// is missing, a little smaller so that captions keep to their controls) at
// the given point size.
QFont uiFont(double pointSize = 8, bool bold = false);

}  // namespace mq::ui
