// The platform services done with real Qt dialogs, for one window.
#pragma once

#include "core/services.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace mq::ui {

class QtServices : public Services {
public:
    explicit QtServices(QWidget* window = nullptr) : win(window) { }

    // The window whose controls the focus services address and over which
    // the dialogs open.
    void setWindow(QWidget* window) { win = window; }
    QWidget* window() const { return win; }

    void msgBox(const std::string& text, MsgIcon icon, const std::string& title) override;
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    void sendTab() override;
    void setFocus(const std::string& control) override;
    void beep() override;
    void setClipboardText(const std::string& text) override;
    void doEvents() override;
    std::optional<std::string> saveFileDialog(const std::string& filter) override;

private:
    QPointer<QWidget> win;
};

// "Rich Text Format (*.rtf)|*.rtf|" as Qt's name filters ("Rich Text Format (*.rtf)").
QStringList toQtNameFilters(const std::string& filter);

// Line breaks of any of the forms the program writes ("\n\r", "\r\n", "\r")
// as the single "\n" a dialog shows.
QString displayText(const std::string& text);

// Text-only buttons on a dialog, as desktop dialogs have them, where Qt would
// put its stock icons on OK and Cancel.
void plainButtons(QWidget* dialog);

// The width a top-level window needs for its title bar to show `title` whole.
int titleBarWidth(const QString& title);

// The next control after `from` in the window's tab order that can take the
// focus; nullptr when there is none.
QWidget* nextInTabOrder(QWidget* window, QWidget* from);

}  // namespace mq::ui
