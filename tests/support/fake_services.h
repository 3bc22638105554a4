// A scripted stand-in for the platform: records every message box and answers
// prompts and dialogs from queues.
#pragma once

#include "core/services.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mq::test {

struct Message {
    std::string text;
    MsgIcon icon;
    std::string title;
    friend bool operator==(const Message&, const Message&) = default;
};

struct Prompt {
    std::string prompt;
    std::string title;
    std::string defaultText;
};

class FakeServices : public Services {
public:
    std::vector<Message> messages;
    std::vector<Prompt> prompts;
    std::deque<std::string> answers;  // prompt answers; "" (cancel) when empty
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<std::string> focusMoves;  // "{TAB}" or the control name
    std::vector<std::string> saveFilters;
    std::string clipboard;
    int beeps = 0;
    int events = 0;
    // Runs inside doEvents, as a queued user action would.
    std::function<void()> onDoEvents;

    void msgBox(const std::string& text, MsgIcon icon, const std::string& title) override;
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    void sendTab() override { focusMoves.push_back("{TAB}"); }
    void setFocus(const std::string& control) override { focusMoves.push_back(control); }
    void beep() override { ++beeps; }
    void setClipboardText(const std::string& text) override { clipboard = text; }
    void doEvents() override;
    std::optional<std::string> saveFileDialog(const std::string& filter) override;

    void reset();
};

}  // namespace mq::test
