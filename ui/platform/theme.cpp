#include "ui/platform/theme.h"

#include "ui/platform/geometry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <cmath>
#include <memory>

namespace mq::ui {

namespace {

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return QColor(m(a.red(), b.red()), m(a.green(), b.green()), m(a.blue(), b.blue()));
}

// Applies its colours to a widget again whenever the palette around it changes.
class PaletteFollower : public QObject {
public:
    explicit PaletteFollower(QWidget* w) : QObject(w) { w->installEventFilter(this); }
    virtual void apply() = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        // A window hears of a new desktop palette; what it holds, of its own palette changing.
        if (e->type() == QEvent::ApplicationPaletteChange || e->type() == QEvent::PaletteChange)
            apply();
        return false;
    }
};

// Keeps a foreground accent right when the desktop switches between light and dark.
class AccentKeeper : public PaletteFollower {
public:
    AccentKeeper(QWidget* w, Accent a) : PaletteFollower(w), which(a), widget(w)
    {
        setObjectName(QStringLiteral("accentKeeper"));
    }
    void apply() override
    {
        const bool view = qobject_cast<QAbstractItemView*>(widget) != nullptr;
        const QPalette::ColorRole fore = view ? QPalette::Text : widget->foregroundRole();
        const QPalette::ColorRole back = view ? QPalette::Base : widget->backgroundRole();
        QPalette p = widget->palette();
        const QColor c = accent(which, p, back);
        if (p.color(QPalette::Active, fore) == c && p.color(QPalette::Inactive, fore) == c)
            return;  // also ends the palette change that setting it sends
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            p.setColor(group, fore, c);
        widget->setPalette(p);
    }
    Accent which;

private:
    QWidget* widget;
};

class ClassicKeeper : public PaletteFollower {
public:
    explicit ClassicKeeper(QWidget* w) : PaletteFollower(w), window(w)
    {
        // Painted by the window itself: the frame around it follows the desktop.
        w->setAutoFillBackground(true);
    }
    void apply() override
    {
        const bool dark = isDarkPalette(QApplication::palette());
        if (dark == set)
            return;
        set = dark;
        window->setPalette(dark ? classicPalette() : QPalette());
    }

private:
    QWidget* window;
    bool set = false;
};

AccentKeeper* keeperOf(QWidget* w)
{
    // Found by name: without a meta-object of its own, a cast would take any child.
    return static_cast<AccentKeeper*>(
        w->findChild<QObject*>(QStringLiteral("accentKeeper"), Qt::FindDirectChildrenOnly));
}

}  // namespace

double relativeLuminance(const QColor& c)
{
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkPalette(const QPalette& p)
{
    return relativeLuminance(p.color(QPalette::WindowText)) > relativeLuminance(p.color(QPalette::Window));
}

QColor inkOn(const QColor& background)
{
    const QColor black(0, 0, 0), white(255, 255, 255);
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

QColor readableOn(const QColor& wanted, const QColor& background)
{
    if (contrastRatio(wanted, background) >= kMinContrast)
        return wanted;
    // The least mix that reads, found by halving; the ink itself always does.
    const QColor ink = inkOn(background);
    double lo = 0, hi = 1;
    for (int i = 0; i < 16; ++i) {
        const double t = (lo + hi) / 2;
        (contrastRatio(mix(wanted, ink, t), background) >= kMinContrast ? hi : lo) = t;
    }
    return mix(wanted, ink, hi);
}

QColor accent(Accent a, const QPalette& p, QPalette::ColorRole behind)
{
    QColor wanted;
    switch (a) {
    case Accent::Warning:
    case Accent::NetworkBits: wanted = toQColor(colour::Red); break;
    case Accent::HostBits: wanted = toQColor(colour::Olive); break;
    case Accent::Muted: wanted = QColor(128, 128, 128); break;
    }
    return readableOn(wanted, p.color(behind));
}

void setAccentText(QWidget* w, Accent a)
{
    AccentKeeper* k = keeperOf(w);
    if (!k)
        k = new AccentKeeper(w, a);
    k->which = a;
    k->apply();
}

void clearAccentText(QWidget* w)
{
    if (AccentKeeper* k = keeperOf(w)) {
        delete k;
        w->setPalette(QPalette());
    }
}

QColor edgeOn(const QColor& fill)
{
    return readableOn(fill.darker(160), fill);
}

QPixmap swatch(const QColor& fill, const QPalette& p, QPalette::ColorRole behind, int size)
{
    QPixmap square(size, size);
    square.fill(fill);
    QPainter painter(&square);
    painter.setPen(accent(Accent::Muted, p, behind));
    painter.drawRect(0, 0, size - 1, size - 1);
    return square;
}

BadgeColours badgeColours(const QPalette& p)
{
    // The border keeps the tag apart from the window, which may be as pale as the tag.
    const QColor border = readableOn(QColor(0xb8, 0x9b, 0x2e), p.color(QPalette::Window));
    if (!isDarkPalette(p))
        return {QColor(0xff, 0xf3, 0xc4), border, QColor(0, 0, 0)};
    const QColor back(0x4a, 0x3f, 0x12);
    return {back, border, inkOn(back)};
}

const QPalette& classicPalette()
{
    // Fusion's standard palette is light in every desktop theme: the grey window, white
    // boxes and black text the classic colours were chosen against.
    static const QPalette light = [] {
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        return fusion ? fusion->standardPalette() : QPalette(QColor(0xef, 0xef, 0xef));
    }();
    return light;
}

void keepClassicColours(QWidget* window)
{
    (new ClassicKeeper(window))->apply();
}

}  // namespace mq::ui
