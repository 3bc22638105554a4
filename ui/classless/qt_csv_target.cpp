#include "ui/classless/qt_csv_target.h"

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

bool QtCsvTarget::open(const std::string& path, std::string& error)
{
    file = std::make_unique<QSaveFile>(QString::fromStdString(path));
    if (!file->open(QIODevice::WriteOnly)) {
        error = file->errorString().toStdString();
        file.reset();
        return false;
    }
    dialog = std::make_unique<QProgressDialog>(QStringLiteral("Saving the listing as CSV..."),
                                               QStringLiteral("Cancel"), 0, 1000, parent);
    dialog->setObjectName(QStringLiteral("CsvProgress"));
    dialog->setWindowTitle(QStringLiteral("Classless Calculator"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(500);
    dialog->setValue(0);
    return true;
}

bool QtCsvTarget::write(std::string_view bytes, std::string& error)
{
    const auto n = static_cast<qint64>(bytes.size());
    if (file->write(bytes.data(), n) != n) {
        error = file->errorString().toStdString();
        return false;
    }
    return true;
}

bool QtCsvTarget::commit(std::string& error)
{
    dialog.reset();
    const bool ok = file->commit();
    if (!ok)
        error = file->errorString().toStdString();
    file.reset();
    return ok;
}

void QtCsvTarget::discard()
{
    dialog.reset();
    if (file)
        file->cancelWriting();
    file.reset();
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
