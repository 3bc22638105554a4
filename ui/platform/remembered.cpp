#include "ui/platform/remembered.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace mq::ui {

namespace {

const QString kApp = QStringLiteral("Maskquill");
SettingsStore* store = nullptr;

// Strict decimal: an optional minus and digits, nothing else; a value that
// overflows is no value.
std::optional<int> number(const QString& text, int low, int high)
{
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    const int n = text.toInt();
    if (n < low || n > high)
        return std::nullopt;
    return n;
}

}  // namespace

void setRememberedStore(SettingsStore* s)
{
    store = s;
}

std::optional<QString> recalled(const QString& group, const QString& key)
{
    if (!store)
        return std::nullopt;
    // A value no one wrote (the default) is told from an empty one by a marker
    // that no text the program writes contains.
    const QString none = QStringLiteral("\x01none");
    const QString value = store->getSetting(kApp, group, key, none);
    if (value == none)
        return std::nullopt;
    return value;
}

std::optional<int> recalledNumber(const QString& group, const QString& key, int low, int high)
{
    const auto text = recalled(group, key);
    return text ? number(*text, low, high) : std::nullopt;
}

std::optional<QList<int>> recalledNumbers(const QString& group, const QString& key, int count, int low, int high)
{
    const auto text = recalled(group, key);
    if (!text)
        return std::nullopt;
    const QStringList parts = text->split(QLatin1Char(','));
    if (parts.size() != count)
        return std::nullopt;
    QList<int> out;
    for (const QString& part : parts) {
        const auto n = number(part, low, high);
        if (!n)
            return std::nullopt;
        out << *n;
    }
    return out;
}

void remember(const QString& group, const SettingValues& values)
{
    if (store)
        store->saveSettings(kApp, group, values);
}

QString numbersText(const QList<int>& numbers)
{
    QStringList parts;
    for (int n : numbers)
        parts << QString::number(n);
    return parts.join(QLatin1Char(','));
}

QString folderKind(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    static const QRegularExpression extension(QStringLiteral("^\\*\\.([A-Za-z0-9]{1,16})$"));
    if (parts.size() > 1) {
        const QString first = parts[1].split(QLatin1Char(';')).first().trimmed();
        if (const auto m = extension.match(first); m.hasMatch())
            return m.captured(1).toLower();
    }
    return QStringLiteral("all");
}

QString rememberedFolder(const QString& kind)
{
    const auto folder = recalled(QStringLiteral("Folders"), kind);
    if (!folder || folder->isEmpty() || !QDir::isAbsolutePath(*folder) || !QFileInfo(*folder).isDir())
        return {};
    return *folder;
}

void rememberFolderOf(const QString& kind, const QString& chosen, bool isFolder)
{
    if (chosen.isEmpty())
        return;
    const QFileInfo info(chosen);
    remember(QStringLiteral("Folders"), {{kind, isFolder ? info.absoluteFilePath() : info.absolutePath()}});
}

void openInRememberedFolder(QFileDialog& dialog, const QString& kind, const QString& suggested)
{
    const bool ownFolder = !suggested.isEmpty() && QFileInfo(suggested).fileName() != suggested;
    if (const QString folder = rememberedFolder(kind); !folder.isEmpty() && !ownFolder)
        dialog.setDirectory(folder);
    if (!suggested.isEmpty())
        dialog.selectFile(suggested);
}

}  // namespace mq::ui
