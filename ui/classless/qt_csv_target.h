// The CSV listing written through the program's file writer, with a progress
// dialog that can cancel it and the free space of the target folder from QStorageInfo.
#pragma once

#include "classless/save.h"

#include <QPointer>
#include <QWidget>
#include <memory>

#include <QProgressDialog>

namespace mq::ui {

class QtCsvTarget : public classless::CsvTarget {
public:
    explicit QtCsvTarget(QWidget* dialogParent = nullptr) : parent(dialogParent) { }
    ~QtCsvTarget() override;

    // The Save dialog, telling the file type chosen.
    std::optional<classless::SaveChoice> chooseFile(const std::string& filter, Services& sv) override;
    std::optional<std::uint64_t> freeBytes(const std::string& path) override;
    bool save(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error) override;
    bool progress(classless::u128 row, classless::u128 lastRow) override;

    // Tests and the benchmark stand in for the user at the progress dialog.
    QProgressDialog* progressDialog() const { return dialog.get(); }
    using FileChooser = std::function<std::optional<classless::SaveChoice>(const std::string& filter)>;
    void setFileChooser(FileChooser c) { chooser = std::move(c); }

private:
    QPointer<QWidget> parent;
    std::unique_ptr<QProgressDialog> dialog;
    FileChooser chooser;
};

}  // namespace mq::ui
