// Everything modal or platform-bound that a window's logic asks for. The Qt
// windows implement it with real dialogs; the tests with a scripted fake.
#pragma once

#include <optional>
#include <string>

namespace mq {

enum class MsgIcon { None, Critical, Exclamation, Information };

class Services {
public:
    virtual ~Services() = default;

    // Modal message box with an OK button. The title is shown as given.
    virtual void msgBox(const std::string& text, MsgIcon icon, const std::string& title) = 0;
    // Modal prompt; the typed text, or "" when the user cancels.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // Moves the focus on as a Tab key press would.
    virtual void sendTab() = 0;
    // Puts the focus into the named control of the window ("Text3(0)").
    virtual void setFocus(const std::string& control) = 0;
    virtual void beep() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    // Lets queued user-interface events run, then returns.
    virtual void doEvents() = 0;
    // Save As dialog; the chosen file name, or nothing when cancelled.
    // The filter is in the "Description|*.ext|" form.
    virtual std::optional<std::string> saveFileDialog(const std::string& filter) = 0;
};

}  // namespace mq
