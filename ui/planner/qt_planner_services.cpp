#include "ui/planner/qt_planner_services.h"
#include "ui/platform/remembered.h"

#include "sheets/sheet_records.h"
#include "sheets/xlsx_reader.h"
#include "ui/planner/planner_dialogs.h"
#include "ui/planner/subnet_rules_dialog.h"
#include "ui/platform/file_writer.h"

#include "ui/platform/qt_services.h"

#include <QClipboard>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// A question with a yes button, a no button and Cancel; Esc and closing the box cancel.
planner::Answer askWith(QWidget* win, const QString& title, const QString& question, QMessageBox::StandardButton yes,
                        QMessageBox::StandardButton no)
{
    QMessageBox box(QMessageBox::Question, title, question, yes | no | QMessageBox::Cancel, win);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(yes);
    const int answer = box.exec();
    return answer == yes ? planner::Answer::Yes : answer == no ? planner::Answer::No : planner::Answer::Cancel;
}

}  // namespace

planner::Answer QtPlannerServices::ask(const std::string& question)
{
    return askWith(win, title(), displayText(question), QMessageBox::Yes, QMessageBox::No);
}

planner::Answer QtPlannerServices::askApply(const std::string& question)
{
    return askWith(win, title(), displayText(question), QMessageBox::Apply, QMessageBox::Discard);
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

namespace {

// Runs the dialog, opened in the last folder of the kind (or the suggested
// file's own); the chosen file's folder becomes the next one.
std::optional<std::string> chosenFile(QFileDialog& dialog, const QString& kind, const QString& suggested = {})
{
    openInRememberedFolder(dialog, kind, suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    rememberFolderOf(kind, dialog.selectedFiles().first());
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace

std::optional<std::string> QtPlannerServices::openFileDialog(const std::string& filter)
{
    QFileDialog dialog(win, QStringLiteral("Open Plan"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(toQtNameFilters(filter));
    return chosenFile(dialog, folderKind(filter));
}

std::optional<std::string> QtPlannerServices::saveFileDialog(const std::string& filter, const std::string& suggested)
{
    QFileDialog dialog(win, QStringLiteral("Save Plan As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(toQtNameFilters(filter));
    return chosenFile(dialog, folderKind(filter), QString::fromStdString(suggested));
}

namespace {

std::string tooLarge()
{
    return "The file is larger than " + std::to_string(QtPlannerServices::kMaxPlanBytes >> 20) +
           " MB, the largest file the planner reads.";
}

// A pipe with no writer would block open() and read() for ever, a device never
// ends: only a regular file is opened, without waiting. -1 with error set when
// it cannot be; st: what it is.
int openRegular(const std::string& path, struct stat& st, std::string& error)
{
    const QByteArray name = QFile::encodeName(QString::fromStdString(path));
    if (::stat(name.constData(), &st) != 0) {
        error = std::strerror(errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "It is " + fileKind(st.st_mode) + ", not a regular file.";
        return -1;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    // The name may have been replaced since stat().
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "It is " + fileKind(st.st_mode) + ", not a regular file.";
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::FILE* QtPlannerServices::openList(const std::string& path, std::string& error)
{
    struct stat st { };
    const int fd = openRegular(path, st, error);
    if (fd < 0)
        return nullptr;
    std::FILE* in = ::fdopen(fd, "r");
    if (!in) {
        error = std::strerror(errno);
        ::close(fd);
    }
    return in;
}

bool QtPlannerServices::readFile(const std::string& path, std::string& bytes, std::string& error)
{
    // Never more than the limit.
    struct stat st { };
    const int fd = openRegular(path, st, error);
    if (fd < 0)
        return false;
    if (st.st_size > kMaxPlanBytes) {
        error = tooLarge();
        ::close(fd);
        return false;
    }
    // One block of the file's size and a byte more, so that its end is seen
    // without growing it; memory too short for it is named, not a crash.
    try {
        bytes.clear();
        bytes.reserve(static_cast<std::size_t>(st.st_size) + 1);
        char block[1 << 16];
        while (true) {
            const ssize_t got = ::read(fd, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                error = std::strerror(errno);
                ::close(fd);
                return false;
            }
            if (got == 0)
                break;
            if (bytes.size() + static_cast<std::size_t>(got) > static_cast<std::size_t>(kMaxPlanBytes)) {
                error = tooLarge();  // it grew while being read
                ::close(fd);
                return false;
            }
            bytes.append(block, static_cast<std::size_t>(got));
        }
    } catch (const std::bad_alloc&) {
        bytes = std::string();
        error = planner::kNoMemoryToRead;
        ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

bool QtPlannerServices::writeFile(const std::string& path, const std::string& bytes, std::string& error)
{
    // A plan or an export is opened again: only a regular file is written.
    return saveDocument(
        path, [&bytes](ByteSink& sink) { return sink.write(bytes); }, error);
}

std::optional<planner::FileChoice> QtPlannerServices::exportFileDialog(const std::string& filter,
                                                                       const std::string& suggested)
{
    QFileDialog dialog(win, QStringLiteral("Export"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = toQtNameFilters(filter);
    dialog.setNameFilters(filters);
    // Exports of every type share one folder: the hand-over place for other tools.
    const QString kind = QStringLiteral("export");
    openInRememberedFolder(dialog, kind, QString::fromStdString(suggested));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    rememberFolderOf(kind, dialog.selectedFiles().first());
    return planner::FileChoice{dialog.selectedFiles().first().toStdString(),
                               static_cast<int>(filters.indexOf(dialog.selectedNameFilter()))};
}

std::optional<std::uint32_t> QtPlannerServices::chooseColour(std::uint32_t rgb)
{
    const QColor chosen =
        QColorDialog::getColor(QColor::fromRgb(static_cast<QRgb>(rgb)), win, QStringLiteral("Colour of the block"));
    if (!chosen.isValid())
        return std::nullopt;
    return static_cast<std::uint32_t>(chosen.rgb() & 0xFFFFFFu);
}

void QtPlannerServices::setClipboard(const std::string& text)
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

std::vector<std::string> QtPlannerServices::recentPlans()
{
    std::vector<std::string> out;
    const QSettings s(QSettings::UserScope, QStringLiteral("Maskquill"), QStringLiteral("Maskquill"));
    for (const QString& p : s.value(QStringLiteral("Planner/recent")).toStringList())
        out.push_back(p.toStdString());
    return out;
}

void QtPlannerServices::setRecentPlans(const std::vector<std::string>& paths)
{
    QStringList list;
    for (const std::string& p : paths)
        list << QString::fromStdString(p);
    QSettings s(QSettings::UserScope, QStringLiteral("Maskquill"), QStringLiteral("Maskquill"));
    s.setValue(QStringLiteral("Planner/recent"), list);
    s.sync();
}

std::optional<std::string> QtPlannerServices::pasteText(const std::string& title, const std::string& hint)
{
    return pasteTextDialog(win, title, hint);
}

std::optional<plan::IpamValues> QtPlannerServices::editIpamValues(const plan::IpamValues& values)
{
    return ipamValuesDialog(win, values);
}

std::optional<plan::LayoutRules> QtPlannerServices::editLayoutRules(const plan::LayoutRules& rules,
                                                                    plan::CloudMode cloud)
{
    return subnetRulesDialog(win, rules, cloud);
}

std::vector<std::string> QtPlannerServices::sheetNames(const std::string& path, std::string& error)
{
    return sheets::sheetNames(path, &error);
}

interchange::RecordSource QtPlannerServices::sheetRecords(const std::string& path, const std::string& sheet)
{
    return sheets::sheetRecords(path, sheet);
}

std::optional<std::string> QtPlannerServices::chooseSheet(const std::string& file,
                                                          const std::vector<std::string>& sheets)
{
    QStringList items;
    for (const std::string& s : sheets)
        items << QString::fromStdString(s);
    bool ok = false;
    const QString name = QFileInfo(QString::fromStdString(file)).fileName();
    const QString answer = QInputDialog::getItem(
        win, title(), QStringLiteral("Which sheet of %1 holds the table?").arg(name), items, 0, false, &ok);
    if (!ok)
        return std::nullopt;
    return answer.toStdString();
}

}  // namespace mq::ui
