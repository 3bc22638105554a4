#pragma once
// The planner's services as its window hands them to the model: each question and dialog
// after the widgets are brought up to date, everything else passed straight on.
#include "ui/planner/planner.h"

namespace mq::ui {

// Brings the widgets up to date before a dialog opens, so the user sees the
// state the question is about.
class Planner::WindowServices : public planner::PlannerServices {
public:
    WindowServices(Planner& w, planner::PlannerServices& inner) : window(w), real(inner) { }
    void message(const std::string& text, MsgIcon icon) override
    {
        window.refresh();
        real.message(text, icon);
    }
    planner::Answer ask(const std::string& question) override
    {
        window.refresh();
        return real.ask(question);
    }
    planner::Answer askApply(const std::string& question) override
    {
        window.refresh();
        return real.askApply(question);
    }
    std::optional<std::string> prompt(const std::string& text, const std::string& defaultText) override
    {
        window.refresh();
        return real.prompt(text, defaultText);
    }
    std::optional<std::string> openFileDialog(const std::string& filter) override
    {
        return real.openFileDialog(filter);
    }
    std::optional<std::string> saveFileDialog(const std::string& filter, const std::string& suggested) override
    {
        return real.saveFileDialog(filter, suggested);
    }
    bool readFile(const std::string& path, std::string& bytes, std::string& error) override
    {
        return real.readFile(path, bytes, error);
    }
    std::FILE* openList(const std::string& path, std::string& error) override { return real.openList(path, error); }
    bool writeFile(const std::string& path, const std::string& bytes, std::string& error) override
    {
        return real.writeFile(path, bytes, error);
    }
    std::optional<planner::FileChoice> exportFileDialog(const std::string& filter,
                                                        const std::string& suggested) override
    {
        return real.exportFileDialog(filter, suggested);
    }
    std::optional<std::uint32_t> chooseColour(std::uint32_t rgb) override
    {
        window.refresh();
        return real.chooseColour(rgb);
    }
    void setClipboard(const std::string& text) override { real.setClipboard(text); }
    std::vector<std::string> recentPlans() override { return real.recentPlans(); }
    void setRecentPlans(const std::vector<std::string>& paths) override { real.setRecentPlans(paths); }
    std::optional<std::string> pasteText(const std::string& title, const std::string& hint) override
    {
        window.refresh();
        return real.pasteText(title, hint);
    }
    std::optional<plan::IpamValues> editIpamValues(const plan::IpamValues& values) override
    {
        window.refresh();
        return real.editIpamValues(values);
    }
    std::optional<plan::LayoutRules> editLayoutRules(const plan::LayoutRules& rules, plan::CloudMode cloud) override
    {
        window.refresh();
        return real.editLayoutRules(rules, cloud);
    }
    std::vector<std::string> sheetNames(const std::string& path, std::string& error) override
    {
        return real.sheetNames(path, error);
    }
    interchange::RecordSource sheetRecords(const std::string& path, const std::string& sheet) override
    {
        return real.sheetRecords(path, sheet);
    }
    std::optional<std::string> chooseSheet(const std::string& file, const std::vector<std::string>& sheets) override
    {
        window.refresh();
        return real.chooseSheet(file, sheets);
    }
    bool readAside(const std::string& file, const std::function<void(const ReadProgress&)>& read) override
    {
        window.refresh();
        return real.readAside(file, read);
    }

private:
    Planner& window;
    planner::PlannerServices& real;
};

}  // namespace mq::ui
