// The plain text of a text document, kept up to date edit by edit. Reading 40 MB
// back out of a document takes a third of a second on the interface thread; this
// copy is handed to a worker at once (it is shared, not copied, until the next edit).
#pragma once

#include <QObject>
#include <QString>

class QTextDocument;

namespace mq::ui {

class TextMirror : public QObject {
public:
    TextMirror(QTextDocument* document, QObject* parent);
    // For a document whose text is known already (built from it): nothing is read back.
    TextMirror(QTextDocument* document, QString text, QObject* parent);
    // The document's text as toPlainText() gives it.
    const QString& text() const { return mirror; }

private:
    void changed(int position, int removed, int added);

    QTextDocument* doc;
    QString mirror;
};

}  // namespace mq::ui
