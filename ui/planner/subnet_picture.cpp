#include "ui/planner/subnet_picture.h"

#include "ui/planner/elided_label.h"
#include "ui/platform/theme.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace mq::ui {

using planner::AddressKind;
using planner::AddressMark;

namespace {

constexpr int kCell = 12;  // a small block's address cell, in pixels
constexpr int kBarHeight = 28;
constexpr int kMargin = 4;
constexpr int kKinds = static_cast<int>(AddressKind::KindCount);

}  // namespace

SubnetPicture::SubnetPicture(const planner::SubnetForm& f, QWidget* parent) : QWidget(parent), form(f)
{
    setObjectName(QStringLiteral("subnetPicture"));
    setAccessibleName(QStringLiteral("Addresses of the block"));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleDescription(QStringLiteral("No block shown"));  // until the panel first shows a block
}

void SubnetPicture::setFamily(net::Family f)
{
    fam = f;
    refresh();
}

QColor SubnetPicture::colourOf(AddressKind kind, const QPalette& palette)
{
    // Fills that stand apart from each other; each made to read on the window behind the
    // picture, darker in a light theme and lighter in a dark one.
    QColor c;
    switch (kind) {
    case AddressKind::Free: return palette.color(QPalette::Base);
    case AddressKind::Range: c = QColor(0x4e, 0x9a, 0x06); break;
    case AddressKind::Kept: c = QColor(0xf5, 0x79, 0x00); break;
    case AddressKind::Host: c = QColor(0x34, 0x65, 0xa4); break;
    case AddressKind::Gateway: c = QColor(0xcc, 0x00, 0x00); break;
    case AddressKind::Network: c = QColor(0x88, 0x8a, 0x85); break;
    case AddressKind::Broadcast: c = QColor(0x5c, 0x35, 0x66); break;
    default: return palette.color(QPalette::Mid);
    }
    return readableOn(c, palette.color(QPalette::Window));
}

int SubnetPicture::gridColumns() const
{
    const net::u128 n = form.size(fam);
    return n == 0 || n > 256 ? 0 : n >= 32 ? 32 : static_cast<int>(n);
}

QSize SubnetPicture::sizeHint() const
{
    const int legend = 2 * (fontMetrics().height() + kMargin);
    const int columns = gridColumns();
    const int rows = columns ? static_cast<int>((form.size(fam) + columns - 1) / columns) : 0;
    const int body = columns ? rows * kCell : kBarHeight;
    return {columns ? columns * kCell + 2 * kMargin : 400, body + legend + 2 * kMargin};
}

QSize SubnetPicture::minimumSizeHint() const
{
    return {200, sizeHint().height()};
}

void SubnetPicture::refresh()
{
    if (!form.active() || form.block(fam) == plan::kNoBlock) {
        setAccessibleDescription(QStringLiteral("No block shown"));
    } else {
        const plan::Plan& p = form.plan();
        const std::string gateway = form.gatewayText(fam);
        setAccessibleDescription(
            QString::fromStdString(planner::prefixText(p.block(form.block(fam)).prefix) + ": " + form.countsText(fam) +
                                   (gateway.empty() ? std::string("; no gateway") : "; gateway " + gateway)));
    }
    setToolTip(plainToolTip(accessibleDescription()));
    updateGeometry();
    update();
}

QRect SubnetPicture::drawing() const
{
    const int columns = gridColumns();
    const int rows = columns ? static_cast<int>((form.size(fam) + columns - 1) / columns) : 0;
    return columns ? QRect(kMargin, kMargin, columns * kCell, rows * kCell)
                   : QRect(kMargin, kMargin, width() - 2 * kMargin, kBarHeight);
}

void SubnetPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (form.active() && form.block(fam) != plan::kNoBlock) {
        const std::vector<AddressMark> marks = form.marks(fam);
        const QRect area = drawing();
        if (gridColumns())
            paintGrid(painter, marks, area);
        else
            paintBar(painter, marks, area);
        paintLegend(painter, area.bottom() + kMargin + 1);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void SubnetPicture::paintGrid(QPainter& painter, const std::vector<AddressMark>& marks, const QRect& area)
{
    const int columns = gridColumns();
    const auto n = static_cast<int>(form.size(fam));
    std::vector<AddressKind> kinds(static_cast<std::size_t>(n), AddressKind::Free);
    for (const AddressMark& m : marks)  // each later mark covers the earlier
        for (auto a = m.first; a <= m.last && a < static_cast<net::u128>(n); ++a)
            kinds[static_cast<std::size_t>(a)] = m.kind;
    painter.setPen(accent(Accent::Muted, palette()));
    for (int a = 0; a < n; ++a) {
        const QRect cell(area.left() + (a % columns) * kCell, area.top() + (a / columns) * kCell, kCell - 1, kCell - 1);
        painter.setBrush(colourOf(kinds[static_cast<std::size_t>(a)], palette()));
        painter.drawRect(cell);
    }
}

void SubnetPicture::paintBar(QPainter& painter, const std::vector<AddressMark>& marks, const QRect& area)
{
    // Offsets scaled into the bar; a single address stays two pixels wide, so that a host in
    // a /64 still shows.
    const long double size = static_cast<long double>(form.size(fam));
    auto x = [&](net::u128 offset) {
        return area.left() + static_cast<int>(static_cast<long double>(offset) / size * area.width());
    };
    painter.setPen(Qt::NoPen);
    for (const AddressMark& m : marks) {
        const int left = x(m.first);
        const int right = std::max(left + 2, x(m.last + 1));
        painter.fillRect(QRect(left, area.top(), right - left, area.height()), colourOf(m.kind, palette()));
    }
    painter.setPen(accent(Accent::Muted, palette()));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void SubnetPicture::paintLegend(QPainter& painter, int top)
{
    // Text in the palette's own colour: readable on its window colour in any theme; each
    // square outlined, as free space is the palette's base colour, near its window's.
    const QFontMetrics fm = fontMetrics();
    const int h = fm.height();
    int left = kMargin;
    for (int k = 0; k < kKinds; ++k) {
        const auto kind = static_cast<AddressKind>(k);
        if (kind == AddressKind::Broadcast && fam == net::Family::V6)
            continue;
        const QString name = QString::fromUtf8(planner::addressKindName(kind));
        painter.setPen(accent(Accent::Muted, palette()));
        painter.setBrush(colourOf(kind, palette()));
        painter.drawRect(left, top + 2, h - 4, h - 4);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QPoint(left + h, top + fm.ascent()), name);
        left += h + fm.horizontalAdvance(name) + 2 * kMargin;
    }
    // The counts after the legend, or under it where the row is too narrow.
    const QString counts = QString::fromStdString(form.countsText(fam));
    const bool below = left + fm.horizontalAdvance(counts) > width() - kMargin;
    // An IPv6 block's counts can be wider than the panel: cut, whole in the tool tip and
    // the description.
    painter.drawText(below ? QPoint(kMargin, top + h + kMargin + fm.ascent())
                           : QPoint(left + kMargin, top + fm.ascent()),
                     below ? fm.elidedText(counts, Qt::ElideRight, width() - 2 * kMargin) : counts);
}

}  // namespace mq::ui
