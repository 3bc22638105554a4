#include "ui/platform/rich_text_view.h"

#include "ui/platform/geometry.h"

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

void RichTextView::setDefaultPointSize(double size)
{
    defaultSize = size;
    rebuild();
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
    QTextCursor cursor(document());
    for (const auto& run : shown) {
        QTextCharFormat fmt;
        QFont f = font();
        f.setPointSizeF(run.pointSize > 0 ? run.pointSize : defaultSize);
        f.setBold(run.bold);
        f.setItalic(run.italic);
        fmt.setFont(f);
        fmt.setForeground(toQColor(run.colour));
        cursor.insertText(QString::fromStdString(run.text), fmt);
    }
}

}  // namespace mq::ui
