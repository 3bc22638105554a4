#include "ui/classless/list_box.h"

#include "ui/classless/text_mirror.h"

#include <QElapsedTimer>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace mq::ui {

namespace {

constexpr qint64 kSliceMs = 10;
constexpr qsizetype kSliceMin = 16 * 1024, kSliceMax = 1024 * 1024;

bool special(char16_t c)
{
    return c == u'\r' || c == 0x2028 || c == 0x2029 || c == 0xfdd0 || c == 0xfdd1 || c == 0xa0;
}

// Lets go of a document a slice of lines at a time from the end, then of the document:
// deleted at once, a million lines hold the window for 70 ms or more.
void letGo(QTextDocument* doc)
{
    doc->setUndoRedoEnabled(false);
    auto* timer = new QTimer(doc);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, doc, [doc, timer] {
        QElapsedTimer clock;
        clock.start();
        QTextCursor c(doc);
        while (doc->blockCount() > 1 && clock.elapsed() < kSliceMs) {
            c.setPosition(doc->findBlockByNumber(std::max(0, doc->blockCount() - 2048)).position());
            c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            c.removeSelectedText();
        }
        if (doc->blockCount() <= 1) {
            timer->stop();
            QTimer::singleShot(0, doc, [doc] { delete doc; });
        }
    });
    timer->start();
}

}  // namespace

QString boxPlainText(QString text)
{
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return special(c.unicode()); }))
        return text;  // still shared: nothing copied
    QChar* const begin = text.data();
    QChar* out = begin;
    for (const QChar* in = begin, *end = begin + text.size(); in != end; ++in) {
        char16_t c = in->unicode();
        if (c == u'\r' && in + 1 != end && in[1] == u'\n')
            continue;  // CR LF: one line end, the LF
        if (c == 0xa0)
            c = u' ';
        else if (special(c))
            c = u'\n';
        *out++ = QChar(c);
    }
    text.truncate(out - begin);
    return text;
}

ListBox::ListBox(const char* name, const char* accessibleName, QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QString::fromUtf8(name));
    setAccessibleName(QString::fromUtf8(accessibleName));
    setTabChangesFocus(true);  // Tab moves on instead of typing a tab
    mirror = new TextMirror(document(), this);
    fillTimer.setInterval(0);
    connect(&fillTimer, &QTimer::timeout, this, &ListBox::fillStep);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!busy)
            emit edited();
    });
}

const QString& ListBox::text() const
{
    return busy ? target : mirror->text();
}

void ListBox::load(const QString& plain)
{
    auto* doc = new QTextDocument(this);
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
    doc->setDefaultFont(font());
    doc->setUndoRedoEnabled(false);  // until filled: a load is not undone slice by slice
    // The box's first document belongs to its text control, which deletes it in setDocument():
    // only one this box made itself is still there to be let go of afterwards.
    QTextDocument* old = document();
    const bool ours = old->parent() == this;
    delete mirror;
    mirror = nullptr;
    busy = true;
    setDocument(doc);
    cursor = QTextCursor();
    if (ours)
        done.push_back(old);  // one loaded before, let go of once this one is in
    pasted = false;
    fill(QTextCursor(doc), plain, plain);
}

namespace {

// The first local file among what is dropped; empty when there is none.
QString localFile(const QMimeData* source)
{
    if (source && source->hasUrls())
        for (const QUrl& url : source->urls())
            if (url.isLocalFile())
                return url.toLocalFile();
    return {};
}

}  // namespace

bool ListBox::canInsertFromMimeData(const QMimeData* source) const
{
    return !localFile(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

void ListBox::insertFromMimeData(const QMimeData* source)
{
    if (const QString file = localFile(source); !file.isEmpty() && !isReadOnly()) {
        emit fileDropped(file);
        return;
    }
    if (isReadOnly() || !source || !source->hasText())
        return QPlainTextEdit::insertFromMimeData(source);
    QString plain = source->text();
    if (plain.size() < kSlicedPasteChars)
        return QPlainTextEdit::insertFromMimeData(source);
    plain = boxPlainText(std::move(plain));
    const QTextCursor at = textCursor();
    const QString& before = text();
    QString whole = before.size() == at.selectionEnd() - at.selectionStart()
                        ? plain  // into an empty box, or over all of it: shared, not copied
                        : before.left(at.selectionStart()) + plain + before.mid(at.selectionEnd());
    delete mirror;
    mirror = nullptr;
    busy = true;
    pasted = true;
    fill(at, std::move(plain), std::move(whole));
}

void ListBox::fill(QTextCursor at, QString plain, QString whole)
{
    cursor = std::move(at);
    pending = std::move(plain);
    target = std::move(whole);
    pendingAt = 0;
    first = true;
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    emit edited();
    emit progress(0);
    fillTimer.start();
}

void ListBox::fillStep()
{
    QElapsedTimer clock;
    clock.start();
    qsizetype end = std::min(pendingAt + slice, pending.size());
    if (end < pending.size()) {
        // Whole lines where there are any; never half of a surrogate pair.
        const qsizetype lf = pending.lastIndexOf(u'\n', end - 1);
        if (lf >= pendingAt)
            end = lf + 1;
        else if (pending.at(end - 1).isHighSurrogate())
            --end;
    }
    if (first)
        cursor.beginEditBlock();
    else
        cursor.joinPreviousEditBlock();  // the whole paste is one undo step
    if (first)
        cursor.removeSelectedText();
    cursor.insertText(QStringView(pending).mid(pendingAt, end - pendingAt).toString());
    cursor.endEditBlock();
    first = false;
    pendingAt = end;
    // The next slice sized to take kSliceMs at the pace of this one, growing at most twofold.
    const qint64 took = std::max<qint64>(clock.nsecsElapsed() / 1000, 1);
    slice = std::clamp<qsizetype>(std::min(2 * slice, slice * kSliceMs * 1000 / took), kSliceMin, kSliceMax);
    if (pendingAt < pending.size())
        emit progress(static_cast<int>(100 * pendingAt / pending.size()));
    else
        fillEnd();
}

void ListBox::fillEnd()
{
    fillTimer.stop();
    pending.clear();
    busy = false;
    // The document's text is the target; should a character have gone in otherwise than
    // boxPlainText foresaw, the text is read back once.
    if (document()->characterCount() - 1 != target.size())
        target = document()->toPlainText();
    mirror = new TextMirror(document(), std::move(target), this);
    target.clear();
    if (!pasted)
        document()->setUndoRedoEnabled(true);
    setReadOnly(false);
    if (pasted) {
        setTextCursor(cursor);
        ensureCursorVisible();
    }
    for (QTextDocument* d : std::exchange(done, {}))
        letGo(d);
    emit progress(100);
    emit filled();
}

}  // namespace mq::ui
