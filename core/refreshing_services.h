// Passes every service on, first letting the window show its current state,
// so that a message box or dialog never opens over stale texts. A window whose
// logic lets events run in the middle of its work (a long listing) can have its
// widgets brought up to date at each turn as well.
#pragma once

#include "core/services.h"

#include <functional>
#include <utility>

namespace mq {

class RefreshingServices : public Services {
public:
    RefreshingServices(Services& target, std::function<void()> refresh, bool refreshOnEvents = false)
        : target(target), refresh(std::move(refresh)), refreshOnEvents(refreshOnEvents)
    {
    }
    void msgBox(const std::string& text, MsgIcon icon, const std::string& title) override
    {
        refresh();
        target.msgBox(text, icon, title);
    }
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override
    {
        refresh();
        return target.inputBox(prompt, title, defaultText);
    }
    void sendTab() override { target.sendTab(); }
    void setFocus(const std::string& control) override { target.setFocus(control); }
    void beep() override { target.beep(); }
    void setClipboardText(const std::string& text) override { target.setClipboardText(text); }
    void doEvents() override
    {
        if (refreshOnEvents)
            refresh();
        target.doEvents();
    }
    std::optional<std::string> saveFileDialog(const std::string& filter) override
    {
        refresh();
        return target.saveFileDialog(filter);
    }

private:
    Services& target;
    std::function<void()> refresh;
    bool refreshOnEvents;
};

}  // namespace mq
