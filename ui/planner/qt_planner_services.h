// The planner's platform done with Qt: message boxes over the window,
// QFileDialog, QInputDialog, QFile for reading and the atomic file writer for writing.
#pragma once

#include "plan/document.h"
#include "planner/planner_services.h"

#include <QPointer>
#include <QWidget>

namespace mq::ui {

class QtPlannerServices : public planner::PlannerServices {
public:
    explicit QtPlannerServices(QWidget* window = nullptr) : win(window) { }

    void message(const std::string& text, MsgIcon icon) override;
    planner::Answer ask(const std::string& question) override;
    planner::Answer askApply(const std::string& question) override;
    std::optional<std::string> prompt(const std::string& text, const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const std::string& filter) override;
    std::optional<std::string> saveFileDialog(const std::string& filter, const std::string& suggested) override;
    bool readFile(const std::string& path, std::string& bytes, std::string& error) override;
    std::FILE* openList(const std::string& path, std::string& error) override;
    bool writeFile(const std::string& path, const std::string& bytes, std::string& error) override;
    std::optional<planner::FileChoice> exportFileDialog(const std::string& filter,
                                                        const std::string& suggested) override;
    std::optional<std::uint32_t> chooseColour(std::uint32_t rgb) override;
    void setClipboard(const std::string& text) override;
    // Under "Planner/recent" in the program's settings.
    std::vector<std::string> recentPlans() override;
    void setRecentPlans(const std::vector<std::string>& paths) override;
    std::optional<std::string> pasteText(const std::string& title, const std::string& hint) override;
    std::optional<plan::IpamValues> editIpamValues(const plan::IpamValues& values) override;
    std::optional<plan::LayoutRules> editLayoutRules(const plan::LayoutRules& rules, plan::CloudMode cloud) override;
    // Read with sheets/ (libzip and Qt's XML reader); the sheet asked for in a list.
    std::vector<std::string> sheetNames(const std::string& path, std::string& error) override;
    interchange::RecordSource sheetRecords(const std::string& path, const std::string& sheet) override;
    std::optional<std::string> chooseSheet(const std::string& file, const std::vector<std::string>& sheets) override;
    // On a thread of its own behind a progress dialog (read_aside.cpp).
    bool readAside(const std::string& file, const std::function<void(const ReadProgress&)>& read) override;

    // Plans larger than this are refused before they are read (a plan of
    // the largest size, 4,000,000 blocks, takes about 450 MB).
    static constexpr qint64 kMaxPlanBytes = static_cast<qint64>(plan::kMaxDocumentBytes);

private:
    QPointer<QWidget> win;
};

}  // namespace mq::ui
