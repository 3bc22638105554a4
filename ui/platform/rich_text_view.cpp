#include "ui/platform/rich_text_view.h"

#include "ui/platform/geometry.h"

#include <QFontMetricsF>
#include <QResizeEvent>
#include <QTextCharFormat>
#include <QTextCursor>

namespace mq::ui {

RichTextView::RichTextView(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    document()->setDocumentMargin(2);
}

void RichTextView::setRuns(const std::vector<TextRun>& runs)
{
    if (runs == shown && !document()->isEmpty() == !runs.empty())
        return;
    shown = runs;
    rebuild();
}

void RichTextView::rebuild()
{
    clear();
    // The text is shown on one line: where it would not fit, all of it gets smaller.
    double scale = 1.0;
    const double room = (contentsRect().width() - 2 * document()->documentMargin() - 4) * 0.96;
    double needed = 0;
    for (const auto& run : shown) {
        QFont f = font();
        f.setPointSizeF(run.pointSize > 0 ? run.pointSize : defaultSize);
        f.setBold(run.bold);
        needed += QFontMetricsF(f).horizontalAdvance(QString::fromStdString(run.text));
    }
    if (needed > room && room > 0)
        scale = room / needed;
    QTextCursor cursor(document());
    for (const auto& run : shown) {
        QTextCharFormat fmt;
        QFont f = font();
        f.setPointSizeF((run.pointSize > 0 ? run.pointSize : defaultSize) * scale);
        f.setBold(run.bold);
        f.setItalic(run.italic);
        fmt.setFont(f);
        fmt.setForeground(toQColor(run.colour));
        cursor.insertText(QString::fromStdString(run.text), fmt);
    }
}

void RichTextView::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    if (!shown.empty())
        rebuild();
}

}  // namespace mq::ui
