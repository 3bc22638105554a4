// The colours of Maskquill's own windows, picked for the palette they are shown in,
// and the light palette the classic windows keep under a dark desktop.
#pragma once

#include <QColor>
#include <QPalette>
#include <QPixmap>

class QWidget;

namespace mq::ui {

// WCAG 2.1: relative luminance of an sRGB colour and the contrast ratio of two.
double relativeLuminance(const QColor& c);
double contrastRatio(const QColor& a, const QColor& b);
// What coloured text and marks need against what is behind them.
inline constexpr double kMinContrast = 4.5;

// True where text is lighter than the window behind it.
bool isDarkPalette(const QPalette& p);

// The wanted colour where it reads on the background; otherwise the same hue mixed
// towards black or white, just far enough.
QColor readableOn(const QColor& wanted, const QColor& background);
// Black or white, whichever reads better on the background (at least 4.58:1).
QColor inkOn(const QColor& background);

// The meaningful colours of the own windows. Each starts from the classic colour of the
// same meaning (red network bits and warnings, olive host bits). Muted greys hints and
// the outline that keeps a fill apart from what is behind it, however pale the fill.
enum class Accent { Warning, NetworkBits, HostBits, Muted };
// The accent readable on the palette's colour of the given role.
QColor accent(Accent a, const QPalette& p, QPalette::ColorRole behind = QPalette::Window);
// Sets a widget's foreground role to the accent, again whenever the desktop palette changes.
void setAccentText(QWidget* w, Accent a);
// Takes the accent off again (a message that is no longer a problem).
void clearAccentText(QWidget* w);

// A line drawn on a fill (the edge between two blocks of it): the fill darkened, or
// lightened, as far as a mark on it needs.
QColor edgeOn(const QColor& fill);
// A square of the fill in the muted outline, for a colour shown beside a text.
QPixmap swatch(const QColor& fill, const QPalette& p, QPalette::ColorRole behind, int size);

// The pale yellow tag of a special-purpose range, and its dark counterpart.
struct BadgeColours {
    QColor back, border, text;
};
BadgeColours badgeColours(const QPalette& p);

// The light palette the classic windows were drawn for.
const QPalette& classicPalette();
// Keeps a classic window (and what it holds) on the classic light palette while the
// desktop's palette is dark, and on the desktop's own while it is light.
void keepClassicColours(QWidget* window);

}  // namespace mq::ui
