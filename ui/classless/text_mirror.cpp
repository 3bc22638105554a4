#include "ui/classless/text_mirror.h"

#include <QTextCursor>
#include <QTextDocument>

namespace mq::ui {

TextMirror::TextMirror(QTextDocument* document, QObject* parent)
    : QObject(parent), doc(document), mirror(document->toPlainText())
{
    connect(doc, &QTextDocument::contentsChange, this, &TextMirror::changed);
}

TextMirror::TextMirror(QTextDocument* document, QString text, QObject* parent)
    : QObject(parent), doc(document), mirror(std::move(text))
{
    connect(doc, &QTextDocument::contentsChange, this, &TextMirror::changed);
}

void TextMirror::changed(int position, int removed, int added)
{
    Q_UNUSED(added);  // taken from the lengths: a whole-document change reports one too many
    const qsizetype length = doc->characterCount() - 1;  // without the document's closing separator
    if (position < 0 || position > mirror.size()) {
        mirror = doc->toPlainText();
        return;
    }
    const qsizetype cut = std::min<qsizetype>(removed, mirror.size() - position);
    const qsizetype put = length - (mirror.size() - cut);
    if (put < 0 || position + put > length) {
        mirror = doc->toPlainText();
        return;
    }
    QTextCursor c(doc);
    c.setPosition(position);
    c.setPosition(static_cast<int>(position + put), QTextCursor::KeepAnchor);
    QString piece = c.selectedText();
    // As toPlainText() writes them: line and paragraph ends as LF, no-break spaces as spaces.
    for (QChar& ch : piece) {
        if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator)
            ch = QLatin1Char('\n');
        else if (ch == QChar::Nbsp)
            ch = QLatin1Char(' ');
    }
    mirror.replace(position, cut, piece);
}

}  // namespace mq::ui
