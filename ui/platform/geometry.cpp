#include "ui/platform/geometry.h"

#include <QFontInfo>
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
    return static_cast<Colour>(c.red()) | (static_cast<Colour>(c.green()) << 8) | (static_cast<Colour>(c.blue()) << 16);
}

QFont uiFont(double pointSize, bool bold)
{
    // The windows were laid out for a narrow sans serif; where it is missing a
    // condensed face keeps the captions inside their controls.
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
                   QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setBold(bold);
    f.setPointSizeF(pointSize);
    // The substitutes run wider than the original at the same size.
    static const bool original = QFontInfo(f).family().contains(QStringLiteral("Sans Serif"));
    if (!original)
        f.setPointSizeF(pointSize * 0.9);
    return f;
}

}  // namespace mq::ui
