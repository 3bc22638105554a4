#include "ui/planner/elided_label.h"

#include <QPainter>
#include <QStyle>
#include <QTextDocument>

namespace mq::ui {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setText(const QString& text)
{
    QLabel::setText(text);
    setToolTip(plainToolTip(text));
}

QString plainToolTip(const QString& text)
{
    return text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

QSize ElidedLabel::minimumSizeHint() const
{
    // Room for a few letters and the dots; the rest follows the window.
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("Mmmm...")), QLabel::minimumSizeHint().height());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}

}  // namespace mq::ui
