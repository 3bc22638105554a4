// Passes every service on, first letting the window show its current state,
// so that a message box never opens over stale texts.
#pragma once

#include "core/services.h"

#include <functional>
#include <utility>

namespace mq {

class RefreshingServices : public Services {
public:
    RefreshingServices(Services& target, std::function<void()> refresh)
        : target(target), refresh(std::move(refresh))
    {
    }
    void msgBox(const std::string& text, MsgIcon icon, const std::string& title) override
    {
        refresh();
        target.msgBox(text, icon, title);
    }
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override
    {
        refresh();
        return target.inputBox(prompt, title, defaultText);
    }
    void sendTab() override { target.sendTab(); }
    void setFocus(const std::string& control) override { target.setFocus(control); }
    void beep() override { target.beep(); }
    void setClipboardText(const std::string& text) override { target.setClipboardText(text); }
    void doEvents() override { target.doEvents(); }
    std::optional<std::string> saveFileDialog(const std::string& filter) override
    {
        refresh();
        return target.saveFileDialog(filter);
    }

private:
    Services& target;
    std::function<void()> refresh;
};

}  // namespace mq
