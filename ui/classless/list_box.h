// The text box of list A or B. A big text (a file opened, a paste of a million lines)
// goes in a slice at a time from a zero timer, each slice timed to hold the window
// for about 10 ms: laying out 43 MB takes seconds, and the window answers keys and
// shows how far it has got meanwhile. The box is read-only until the last slice is in,
// and text() is the text it will hold from the start, so the list can be worked out
// while it fills.
#pragma once

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>
#include <vector>

namespace mq::ui {

class TextMirror;

// Texts longer than this are pasted in slices.
inline constexpr qsizetype kSlicedPasteChars = 256 * 1024;

// The text as a box gives it back (toPlainText): CR LF, CR and the paragraph, line and
// frame separators as LF, no-break spaces as spaces.
QString boxPlainText(QString text);

class ListBox : public QPlainTextEdit {
    Q_OBJECT
public:
    ListBox(const char* name, const char* accessibleName, QWidget* parent);

    // The whole text replaced by a new document (undo starts afresh); the text must be
    // plain already (boxPlainText).
    void load(const QString& plain);
    bool filling() const { return busy; }
    // The box's text as toPlainText() gives it; while filling, the text once filled.
    const QString& text() const;

signals:
    // The text changed: typed, pasted, loaded (once, when filling starts).
    void edited();
    // A file dropped (or pasted from a file manager) on the box: to be loaded, not inserted.
    void fileDropped(const QString& path);
    // Filling: the share of the text in, 0 to 100.
    void progress(int percent);
    void filled();

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void fill(QTextCursor at, QString plain, QString whole);
    void fillStep();
    void fillEnd();

    TextMirror* mirror = nullptr;
    QString target;  // the text once filled
    QString pending;  // what is still to go in, from pendingAt
    qsizetype pendingAt = 0;
    QTextCursor cursor;  // where the next slice goes
    qsizetype slice = 64 * 1024;
    bool first = true;  // the first slice opens the undo step the others join
    bool busy = false;
    bool pasted = false;  // a paste ends with the cursor after it, a load at the start
    std::vector<QTextDocument*> done;  // documents replaced by a load
    QTimer fillTimer;
};

}  // namespace mq::ui
