#include "ui/classless/qt_csv_target.h"

#include "ui/platform/file_writer.h"
#include "ui/platform/qt_services.h"
#include "ui/platform/remembered.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStorageInfo>

namespace mq::ui {

QtCsvTarget::~QtCsvTarget() = default;

std::optional<classless::SaveChoice> QtCsvTarget::chooseFile(const std::string& filter, Services&)
{
    if (chooser)
        return chooser(filter);
    QFileDialog dialog(parent, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = toQtNameFilters(filter);
    dialog.setNameFilters(filters);
    const QString kind = QStringLiteral("export");  // the planner's exports go there too
    openInRememberedFolder(dialog, kind);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    rememberFolderOf(kind, dialog.selectedFiles().front());
    // The model adds the chosen type's extension when the name has none.
    return classless::SaveChoice{dialog.selectedFiles().front().toStdString(),
                                 static_cast<int>(filters.indexOf(dialog.selectedNameFilter()))};
}

std::optional<std::uint64_t> QtCsvTarget::freeBytes(const std::string& path)
{
    const QStorageInfo storage(QFileInfo(QString::fromStdString(path)).absolutePath());
    if (!storage.isValid() || storage.bytesAvailable() < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(storage.bytesAvailable());
}

bool QtCsvTarget::save(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error)
{
    // The model adds the type's extension, so the name tells what is being written.
    const bool workbook = QString::fromStdString(path).endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
    dialog = std::make_unique<QProgressDialog>(workbook ? QStringLiteral("Saving the listing as a workbook...")
                                                        : QStringLiteral("Saving the listing as CSV..."),
                                               QStringLiteral("Cancel"), 0, 1000, parent);
    dialog->setObjectName(QStringLiteral("CsvProgress"));
    dialog->setWindowTitle(QStringLiteral("Classless Calculator"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(500);
    dialog->setValue(0);
    const bool ok = saveDocument(path, produce, error);  // a listing to open again, never a device
    dialog.reset();
    return ok;
}

bool QtCsvTarget::progress(classless::u128 row, classless::u128 lastRow)
{
    if (!dialog)
        return true;
    const auto permille = lastRow == 0 ? 1000 : static_cast<int>(row / (lastRow / 1000 + 1));
    dialog->setValue(std::min(permille, 999));
    QCoreApplication::processEvents();
    return !dialog->wasCanceled();
}

}  // namespace mq::ui
