// The planner's platform for window tests: dialogs and questions scripted,
// files on the real disk through the window's own reader and QSaveFile.
#pragma once

#include "tests/planner/fake_planner_services.h"
#include "ui/planner/qt_planner_services.h"

namespace mq::ui {

class DiskServices : public test::FakePlannerServices {
public:
    bool readFile(const std::string& path, std::string& bytes, std::string& error) override
    {
        return disk.readFile(path, bytes, error);
    }
    bool writeFile(const std::string& path, const std::string& bytes, std::string& error) override
    {
        return disk.writeFile(path, bytes, error);
    }
    // Workbooks read from the disk too; which sheet stays scripted.
    std::vector<std::string> sheetNames(const std::string& path, std::string& error) override
    {
        return disk.sheetNames(path, error);
    }
    interchange::RecordSource sheetRecords(const std::string& path, const std::string& sheet) override
    {
        return disk.sheetRecords(path, sheet);
    }
    // Read on a thread behind the progress dialog, as in the window.
    bool readAside(const std::string& file, const std::function<void(const ReadProgress&)>& read) override
    {
        return disk.readAside(file, read);
    }

private:
    QtPlannerServices disk;
};

}  // namespace mq::ui
