#include "ui/planner/qt_planner_services.h"

#include "ui/platform/file_writer.h"

#include "ui/platform/qt_services.h"

#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace mq::ui {

namespace {

QString title()
{
    return QString::fromUtf8(planner::kPlannerTitle);
}

}  // namespace

void QtPlannerServices::message(const std::string& text, MsgIcon icon)
{
    QMessageBox box(win);
    box.setObjectName(QStringLiteral("plannerMessage"));
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    box.setWindowTitle(title());
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

planner::Answer QtPlannerServices::ask(const std::string& question)
{
    QMessageBox box(QMessageBox::Question, title(), displayText(question),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, win);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes: return planner::Answer::Yes;
    case QMessageBox::No: return planner::Answer::No;
    default: return planner::Answer::Cancel;
    }
}

std::optional<std::string> QtPlannerServices::prompt(const std::string& text, const std::string& defaultText)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(win, title(), displayText(text), QLineEdit::Normal,
                                                 QString::fromStdString(defaultText), &ok);
    if (!ok)
        return std::nullopt;
    return answer.toStdString();
}

std::optional<std::string> QtPlannerServices::openFileDialog(const std::string& filter)
{
    QFileDialog dialog(win, QStringLiteral("Open Plan"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(toQtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtPlannerServices::saveFileDialog(const std::string& filter, const std::string& suggested)
{
    QFileDialog dialog(win, QStringLiteral("Save Plan As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(toQtNameFilters(filter));
    dialog.selectFile(QString::fromStdString(suggested));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

bool QtPlannerServices::readFile(const std::string& path, std::string& bytes, std::string& error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString().toStdString();
        return false;
    }
    if (file.size() > kMaxPlanBytes) {
        error = "The file holds " + std::to_string(file.size()) + " bytes, more than a plan of " +
                std::to_string(kMaxPlanBytes >> 20) + " MB that can be opened.";
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString().toStdString();
        return false;
    }
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return true;
}

bool QtPlannerServices::writeFile(const std::string& path, const std::string& bytes, std::string& error)
{
    // The program's one writer: atomic for plain files, in place for pipes and devices.
    return saveFile(path, [&bytes](ByteSink& sink) { return sink.write(bytes); }, error);
}

}  // namespace mq::ui
