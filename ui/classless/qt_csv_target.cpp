#include "ui/classless/qt_csv_target.h"

#include "ui/platform/file_writer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStorageInfo>

namespace mq::ui {

QtCsvTarget::~QtCsvTarget() = default;

std::optional<std::uint64_t> QtCsvTarget::freeBytes(const std::string& path)
{
    const QStorageInfo storage(QFileInfo(QString::fromStdString(path)).absolutePath());
    if (!storage.isValid() || storage.bytesAvailable() < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(storage.bytesAvailable());
}

bool QtCsvTarget::save(const std::string& path, const std::function<bool(ByteSink&)>& produce,
                       std::string& error)
{
    dialog = std::make_unique<QProgressDialog>(QStringLiteral("Saving the listing as CSV..."),
                                               QStringLiteral("Cancel"), 0, 1000, parent);
    dialog->setObjectName(QStringLiteral("CsvProgress"));
    dialog->setWindowTitle(QStringLiteral("Classless Calculator"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(500);
    dialog->setValue(0);
    const bool ok = saveFile(path, produce, error);
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
