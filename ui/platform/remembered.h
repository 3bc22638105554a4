// What Maskquill's own windows remember between runs: the last state of a
// window and the last folder of each kind of file, kept in the settings store
// of the program beside (never in) the main window's geometry section.
// Nothing is remembered until a store is given; a stored value that cannot be
// read as what it should be counts as none.
#pragma once

#include "ui/platform/settings_store.h"

#include <QList>
#include <QString>
#include <optional>
#include <string>

class QFileDialog;

namespace mq::ui {

// The store the windows and file dialogs use; nullptr (the default) keeps nothing.
// The file dialogs sit deep inside the services of many windows, so the store is
// the program's one, set at start-up, not handed down each chain.
void setRememberedStore(SettingsStore* store);

// A text of a group ("Classless", "Planner", "Folders"); nullopt when none is stored.
std::optional<QString> recalled(const QString& group, const QString& key);
// A whole number from low to high, written in plain decimal.
std::optional<int> recalledNumber(const QString& group, const QString& key, int low, int high);
// `count` such numbers separated by commas ("240,560").
std::optional<QList<int>> recalledNumbers(const QString& group, const QString& key, int count, int low, int high);
// Writes the keys of one group in one go.
void remember(const QString& group, const SettingValues& values);
QString numbersText(const QList<int>& numbers);

// The kind of file a dialog's filter ("Plans (*.mqplan)|*.mqplan|...") asks for:
// its first extension, "all" for a filter of every file.
QString folderKind(const std::string& filter);
// The last folder a file of this kind was chosen in, when it still exists; empty otherwise.
QString rememberedFolder(const QString& kind);
// Keeps the folder of a chosen file (or a chosen folder itself).
void rememberFolderOf(const QString& kind, const QString& chosen, bool isFolder = false);
// Opens the dialog in the remembered folder; a suggested name keeps its own
// folder when it names one.
void openInRememberedFolder(QFileDialog& dialog, const QString& kind, const QString& suggested = {});

}  // namespace mq::ui
