#include "ui/platform/geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace mq::ui {

double logicalDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int twipsToPixels(int twips)
{
    return static_cast<int>(std::lround(twips * logicalDpi() / 1440.0));
}

int pixelsToTwips(int pixels)
{
    return static_cast<int>(std::lround(pixels * 1440.0 / logicalDpi()));
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QColor toQColor(Colour c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

Colour fromQColor(const QColor& c)
{
    return static_cast<Colour>(c.red()) | (static_cast<Colour>(c.green()) << 8) |
           (static_cast<Colour>(c.blue()) << 16);
}

QFont uiFont(double pointSize, bool bold)
{
    static const bool substitutesInstalled = [] {
        // The windows were laid out for a narrow sans serif; a condensed face keeps
        // the captions inside their controls where the original face is missing.
        QFont::insertSubstitutions("MS Sans Serif",
                                   {"Microsoft Sans Serif", "DejaVu Sans Condensed", "Liberation Sans Narrow",
                                    "Arial", "DejaVu Sans"});
        return true;
    }();
    (void)substitutesInstalled;
    QFont f("MS Sans Serif");
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

}  // namespace mq::ui
