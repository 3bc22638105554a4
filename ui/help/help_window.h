// Maskquill's own help viewer: the help document maskquill.html shown in a
// browser window, opened at its contents.
//
// The document is looked for, in order, in
//   <program folder>/help/
//   <program folder>/../share/maskquill/help/   (installed: bin/ next to share/)
//   <program folder>/share/maskquill/help/
//   <each generic data folder>/maskquill/help/  (for example /usr/share/maskquill/help)
// The build copies it to <build>/share/maskquill/help/ and `install` puts it in
// <prefix>/share/maskquill/help/.
#pragma once

#include <QStringList>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace mq::ui {

inline constexpr const char* kHelpFileName = "maskquill.html";

QStringList helpSearchPaths();
// The full path of the help document in the first folder that holds it, or "".
QString findHelpDocument(const QStringList& folders);

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr, QStringList folders = helpSearchPaths());

    // Shows the document's contents; when the document is missing the window
    // says so and where it looked, and the result is false.
    bool showContents();
    bool documentFound() const { return !document.isEmpty(); }
    QTextBrowser* browser() const { return view; }

    // Shows the one help window at its contents, creating it on first use;
    // with a section, at that section's anchor (F1 in a window).
    static HelpWindow* showHelp(QWidget* owner, const QString& section = QString());

private:
    void showMissing();

    QStringList searchFolders;
    QString document;
    QTextBrowser* view;
    QPushButton* contentsButton;
    QPushButton* backButton;
    QPushButton* forwardButton;
};

}  // namespace mq::ui
