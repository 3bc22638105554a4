// The planner's "Outputs" dialog over OutputsForm: what to write, the plan's output
// settings, the preview of the files (made on a worker thread when the plan is big, the
// last one kept on screen meanwhile), Copy and Save to a folder.
#pragma once

#include "planner/outputs_form.h"
#include "ui/classless/background_work.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTimer;

namespace mq::ui {

class OutputsDialog : public QDialog {
public:
    // Without services the dialog uses the real folder dialog, clipboard and date.
    OutputsDialog(QWidget* parent, planner::PlannerForm& planner, planner::OutputsServices* services = nullptr);
    ~OutputsDialog() override;

    planner::OutputsForm& form() { return *model; }
    // Called with the block a fault names when it is chosen in the list.
    void setSelectBlock(std::function<void(plan::BlockId)> f) { selectBlock = std::move(f); }
    // Called after the dialog changed the plan (Apply, Save).
    void setChanged(std::function<void()> f) { changed = std::move(f); }
    // Plans of at least this many blocks and hosts are previewed on a worker thread.
    void setBackgroundFrom(std::size_t items) { backgroundFrom = items; }
    // The preview of what the fields hold now: at once for a small plan, else started on
    // the worker (previewBusy() until it is shown).
    void updatePreview();
    bool previewBusy() const { return work.busy(); }
    BackgroundWork& previewWork() { return work; }
    // Copies the model's state into the widgets.
    void refresh();

    // Close, Esc and the window's close: typed settings not applied are asked about first.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class QtServices;
    void build();
    QWidget* buildChoice();
    // The settings shown in one box, in their rows.
    QWidget* buildSettings(plan::OutputBox which, const char* title, const char* name);
    QWidget* settingWidget(const plan::OutputKey& k, QWidget* box);
    QWidget* buildPreview();
    QLineEdit* field(const char* name, const char* accessible, const char* description);
    void fieldsEdited();  // widgets into the model, the preview later
    void save();
    void stopPreview();
    void choose(int row);
    void refreshPreview();

    std::unique_ptr<planner::OutputsServices> ownServices;
    planner::OutputsServices* sv = nullptr;
    std::unique_ptr<planner::OutputsForm> model;
    std::function<void(plan::BlockId)> selectBlock;
    std::function<void()> changed;
    std::size_t backgroundFrom = 5000;
    std::optional<std::string> saveWhenDone;  // a folder chosen while the preview was made
    bool filling = false;  // refresh() writing the widgets: no edit events
    BackgroundWork work{this};
    QTimer* later = nullptr;

    QCheckBox* kea4 = nullptr;
    QCheckBox* kea6 = nullptr;
    QCheckBox* dnsmasq = nullptr;
    QCheckBox* zones = nullptr;
    QComboBox* keaForm = nullptr;
    // Each output setting's widget, by its place in plan::kOutputKeys.
    std::array<QWidget*, plan::kOutputKeyCount> settings{};
    QLabel* settingsError = nullptr;
    QLabel* listTitle = nullptr;
    QListWidget* files = nullptr;
    QPlainTextEdit* text = nullptr;
    QSplitter* previewSplit = nullptr;
    QWidget* textPane = nullptr;
    QLabel* status = nullptr;
    QLabel* busyNote = nullptr;
    QPushButton* stop = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* copyButton = nullptr;
};

}  // namespace mq::ui
