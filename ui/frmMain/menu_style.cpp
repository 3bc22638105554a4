#include "ui/frmMain/menu_style.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>

namespace mq::ui {

// A style of its own to wrap: a proxy around the application's style object
// would take that object over.
MenuCheckStyle::MenuCheckStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) { }

namespace {

void drawTick(const QStyleOption* option, QPainter* painter)
{
    const QRectF r = QRectF(option->rect).adjusted(1, 1, -1, -1);
    const bool selected = (option->state & QStyle::State_Selected) != 0;
    QPen pen(option->palette.color(selected ? QPalette::HighlightedText : QPalette::Text),
             std::max(1.5, r.width() / 7.0));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(pen);
    const QPointF tick[] = {{r.left() + r.width() * 0.15, r.top() + r.height() * 0.55},
                            {r.left() + r.width() * 0.4, r.top() + r.height() * 0.8},
                            {r.left() + r.width() * 0.85, r.top() + r.height() * 0.2}};
    painter->drawPolyline(tick, 3);
    painter->restore();
}

}  // namespace

void MenuCheckStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const
{
    if (element == PE_IndicatorCheckBox && qobject_cast<const QMenu*>(widget)) {
        if (option->state & State_On)
            drawTick(option, painter);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

}  // namespace mq::ui
