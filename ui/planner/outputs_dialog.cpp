#include "ui/planner/outputs_dialog.h"

#include "deploy/zones.h"
#include "ui/planner/planner.h"
#include "ui/platform/remembered.h"
#include "ui/platform/theme.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace mq::ui {

class OutputsDialog::QtServices : public planner::OutputsServices {
public:
    explicit QtServices(QWidget* w) : window(w) { }
    std::optional<std::string> chooseFolder() override
    {
        const QString kind = QStringLiteral("outputs");
        const QString dir = QFileDialog::getExistingDirectory(window, QStringLiteral("Save the outputs to a folder"),
                                                              rememberedFolder(kind));
        if (dir.isEmpty())
            return std::nullopt;
        rememberFolderOf(kind, dir, true);
        return dir.toStdString();
    }
    void setClipboard(const std::string& text) override
    {
        QApplication::clipboard()->setText(QString::fromStdString(text));
    }
    std::uint32_t today() override { return deploy::todayUtc(); }

private:
    QWidget* window;
};

namespace {

QComboBox* choices(QWidget* parent, const char* name, const char* accessible, const char* description,
                   std::initializer_list<const char*> items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(QString::fromLatin1(accessible));
    box->setAccessibleDescription(QString::fromUtf8(description));
    for (const char* item : items)
        box->addItem(QString::fromLatin1(item));
    return box;
}

QCheckBox* check(QWidget* parent, const char* name, const char* text, const char* accessible, const char* description)
{
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(QString::fromLatin1(accessible));
    box->setAccessibleDescription(QString::fromUtf8(description));
    return box;
}

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string s(const QString& q)
{
    return q.toStdString();
}

void setText(QLineEdit* e, const std::string& t)
{
    if (e->text() != q(t))
        e->setText(q(t));
}

// How a kind of setting is shown: a text box, one of several lines, a choice, a choice
// that may be typed, or a check box.
enum class SettingWidget { Line, Lines, Choice, Editable, Check };

SettingWidget widgetOf(plan::OutputValue value)
{
    using V = plan::OutputValue;
    switch (value) {
    case V::NameServers: return SettingWidget::Lines;
    case V::ZoneCut4:
    case V::Naming:
    case V::Rfc2317: return SettingWidget::Choice;
    case V::ZoneCut6: return SettingWidget::Editable;
    case V::YesNo: return SettingWidget::Check;
    default: return SettingWidget::Line;
    }
}

// A choice's items, in the order of planner::choiceWords.
std::initializer_list<const char*> choiceItems(plan::OutputValue value)
{
    using V = plan::OutputValue;
    static constexpr std::initializer_list<const char*> kCuts4 = {"/8", "/16", "/24"};
    static constexpr std::initializer_list<const char*> kCuts6 = {planner::kPerRoot, "/32", "/48", "/56", "/64"};
    static constexpr std::initializer_list<const char*> kNaming = {"64/26", "64-127"};
    static constexpr std::initializer_list<const char*> kRfc2317 = {"Only the delegated blocks",
                                                                    "Every block longer than /24"};
    switch (value) {
    case V::ZoneCut4: return kCuts4;
    case V::ZoneCut6: return kCuts6;
    case V::Naming: return kNaming;
    case V::Rfc2317: return kRfc2317;
    default: return {};
    }
}

// What a setting's widget holds, as its field's text.
std::string settingText(plan::OutputValue value, QWidget* w)
{
    switch (widgetOf(value)) {
    case SettingWidget::Line: return s(static_cast<QLineEdit*>(w)->text());
    case SettingWidget::Lines: return s(static_cast<QPlainTextEdit*>(w)->toPlainText());
    case SettingWidget::Editable: return s(static_cast<QComboBox*>(w)->currentText());
    case SettingWidget::Check:
        return std::string(planner::choiceWords(value)[static_cast<QCheckBox*>(w)->isChecked() ? 1 : 0]);
    case SettingWidget::Choice: break;
    }
    const auto words = planner::choiceWords(value);
    const int at = std::clamp(static_cast<QComboBox*>(w)->currentIndex(), 0, static_cast<int>(words.size()) - 1);
    return std::string(words[static_cast<std::size_t>(at)]);
}

// The field's text into its widget, where it differs (so that a cursor stays where it was).
void showSetting(plan::OutputValue value, QWidget* w, const std::string& text)
{
    switch (widgetOf(value)) {
    case SettingWidget::Line: setText(static_cast<QLineEdit*>(w), text); return;
    case SettingWidget::Lines:
        if (auto* e = static_cast<QPlainTextEdit*>(w); e->toPlainText() != q(text))
            e->setPlainText(q(text));
        return;
    case SettingWidget::Editable:
        if (auto* c = static_cast<QComboBox*>(w); c->currentText() != q(text))
            c->setCurrentText(q(text));
        return;
    case SettingWidget::Check: static_cast<QCheckBox*>(w)->setChecked(text == planner::choiceWords(value)[1]); return;
    case SettingWidget::Choice: break;
    }
    const auto words = planner::choiceWords(value);
    for (std::size_t i = 0; i < words.size(); ++i)
        if (words[i] == text)
            static_cast<QComboBox*>(w)->setCurrentIndex(static_cast<int>(i));
}

const QString kOutputsGroup = QStringLiteral("Planner");
const QString kChoiceKey = QStringLiteral("Outputs");

std::size_t lineCount(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

OutputsDialog::OutputsDialog(QWidget* parent, planner::PlannerForm& planner, planner::OutputsServices* services)
    : QDialog(parent)
{
    if (!services) {
        ownServices = std::make_unique<QtServices>(this);
        services = ownServices.get();
    }
    sv = services;
    model = std::make_unique<planner::OutputsForm>(planner, *services);
    // The outputs ticked last time, where they fit this plan.
    if (const auto text = recalled(kOutputsGroup, kChoiceKey))
        if (const auto choice = planner::choiceFrom(text->toStdString(), planner.plan()))
            model->choice = *choice;
    setObjectName(QStringLiteral("outputsDialog"));
    setWindowTitle(QStringLiteral("Outputs"));
    later = new QTimer(this);
    later->setSingleShot(true);
    later->setInterval(250);  // a preview per pause in typing, not per key
    connect(later, &QTimer::timeout, this, &OutputsDialog::updatePreview);
    connect(&work, &BackgroundWork::done, this, [this] {
        refreshPreview();
        if (const auto folder = std::exchange(saveWhenDone, std::nullopt)) {
            model->saveTo(*folder);
            if (changed)
                changed();
            refresh();
        }
    });
    build();
    refresh();
    updatePreview();
}

OutputsDialog::~OutputsDialog() = default;

QLineEdit* OutputsDialog::field(const char* name, const char* accessible, const char* description)
{
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(QString::fromLatin1(accessible));
    e->setAccessibleDescription(QString::fromUtf8(description));
    connect(e, &QLineEdit::textEdited, this, &OutputsDialog::fieldsEdited);
    return e;
}

void OutputsDialog::build()
{
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(buildChoice());
    top->addWidget(buildSettings(plan::OutputBox::NamesAndDhcp, "Names and DHCP", "dhcpSettings"), 3);
    top->addWidget(buildSettings(plan::OutputBox::Zones, "Zones", "zoneSettings"), 2);
    layout->addLayout(top);
    settingsError = new QLabel(this);
    settingsError->setObjectName(QStringLiteral("settingsError"));
    settingsError->setWordWrap(true);
    setAccentText(settingsError, Accent::Warning);
    layout->addWidget(settingsError);
    layout->addWidget(buildPreview(), 1);
    auto* row = new QHBoxLayout;
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("outputsStatus"));
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // No accessible name: a label's name would stand in for its text.
    status->setAccessibleDescription(QStringLiteral("What the last Apply, Copy or Save did, or why not"));
    row->addWidget(status, 1);
    busyNote = new QLabel(QStringLiteral("Making the preview..."), this);
    busyNote->setObjectName(QStringLiteral("previewBusy"));
    row->addWidget(busyNote);
    stop = new QPushButton(QStringLiteral("Stop (Esc)"), this);
    stop->setObjectName(QStringLiteral("stopPreview"));
    stop->setAccessibleName(QStringLiteral("Stop the preview"));
    stop->setAccessibleDescription(QStringLiteral("Stops making the preview; the last one stays shown"));
    stop->setAutoDefault(false);
    connect(stop, &QPushButton::clicked, this, &OutputsDialog::stopPreview);
    row->addWidget(stop);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    applyButton = buttons->addButton(QStringLiteral("&Apply settings"), QDialogButtonBox::ApplyRole);
    applyButton->setObjectName(QStringLiteral("applyOutputs"));
    applyButton->setAccessibleDescription(QStringLiteral("Puts the settings into the plan as one change Undo takes "
                                                         "back"));
    saveButton = buttons->addButton(QStringLiteral("&Save to folder..."), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("saveOutputs"));
    saveButton->setAccessibleDescription(QStringLiteral("Writes every file listed into a folder chosen now, all or "
                                                        "none, and records the subnet IDs and zone serials"));
    copyButton = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copyButton->setObjectName(QStringLiteral("copyOutput"));
    copyButton->setAccessibleDescription(QStringLiteral("Puts the text of the file shown on the clipboard"));
    // Enter in a field does not close the dialog: no button is the default.
    for (QPushButton* b : {applyButton, saveButton, copyButton, buttons->button(QDialogButtonBox::Close)}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(applyButton, &QPushButton::clicked, this, [this] {
        model->apply();
        if (changed)
            changed();
        refresh();
    });
    connect(saveButton, &QPushButton::clicked, this, &OutputsDialog::save);
    connect(copyButton, &QPushButton::clicked, this, [this] {
        model->copy();
        refresh();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(980, 700);
}

QWidget* OutputsDialog::buildChoice()
{
    auto* box = new QGroupBox(QStringLiteral("What to write"), this);
    box->setObjectName(QStringLiteral("outputChoice"));
    auto* l = new QVBoxLayout(box);
    kea4 = check(box, "kea4", "Kea DHCPv&4", "Kea DHCPv4", "Writes the Kea DHCPv4 configuration");
    kea6 = check(box, "kea6", "Kea DHCPv&6", "Kea DHCPv6", "Writes the Kea DHCPv6 configuration");
    dnsmasq = check(box, "dnsmasq", "dns&masq", "dnsmasq", "Writes a dnsmasq configuration");
    zones = check(box, "zones", "&BIND zones and\nnamed.conf", "BIND zones and named.conf",
                  "Writes the forward and reverse zones and a named.conf fragment naming them");
    for (QCheckBox* c : {kea4, kea6, dnsmasq, zones}) {
        l->addWidget(c);
        connect(c, &QCheckBox::toggled, this, &OutputsDialog::fieldsEdited);
    }
    auto* label = new QLabel(QStringLiteral("&Kea as:"), box);
    keaForm = choices(box, "keaForm", "Kea as", "A whole configuration file, or the subnet list alone to include",
                      {"Whole file", "Subnets fragment"});
    label->setBuddy(keaForm);
    connect(keaForm, &QComboBox::currentIndexChanged, this, &OutputsDialog::fieldsEdited);
    l->addSpacing(8);
    l->addWidget(label);
    l->addWidget(keaForm);
    l->addStretch(1);
    return box;
}

QWidget* OutputsDialog::settingWidget(const plan::OutputKey& k, QWidget* box)
{
    const std::string name = plan::outputFieldName(k);
    const std::string accessible(k.field), description(k.description);
    const QString placeholder = QString::fromUtf8(k.placeholder.data(), static_cast<int>(k.placeholder.size()));
    std::vector<const char*> items;
    switch (widgetOf(k.value)) {
    case SettingWidget::Line: {
        QLineEdit* e = field(name.c_str(), accessible.c_str(), description.c_str());
        e->setParent(box);
        e->setPlaceholderText(placeholder);
        return e;
    }
    case SettingWidget::Lines: {
        auto* e = new QPlainTextEdit(box);
        e->setObjectName(q(name));
        e->setAccessibleName(q(accessible));
        e->setAccessibleDescription(q(description));
        e->setPlaceholderText(placeholder);
        e->setTabChangesFocus(true);
        e->setFixedHeight(e->fontMetrics().lineSpacing() * 3 + 12);
        connect(e, &QPlainTextEdit::textChanged, this, &OutputsDialog::fieldsEdited);
        return e;
    }
    case SettingWidget::Check: {
        const std::string text(k.label);
        QCheckBox* c = check(box, name.c_str(), text.c_str(), accessible.c_str(), description.c_str());
        connect(c, &QCheckBox::toggled, this, &OutputsDialog::fieldsEdited);
        return c;
    }
    case SettingWidget::Choice:
    case SettingWidget::Editable: break;
    }
    QComboBox* c = choices(box, name.c_str(), accessible.c_str(), description.c_str(), choiceItems(k.value));
    if (widgetOf(k.value) == SettingWidget::Editable) {
        c->setEditable(true);
        c->lineEdit()->setAccessibleName(c->accessibleName());
        c->lineEdit()->setAccessibleDescription(c->accessibleDescription());
        connect(c, &QComboBox::currentTextChanged, this, &OutputsDialog::fieldsEdited);
    } else {
        connect(c, &QComboBox::currentIndexChanged, this, &OutputsDialog::fieldsEdited);
    }
    return c;
}

QWidget* OutputsDialog::buildSettings(plan::OutputBox which, const char* title, const char* name)
{
    auto* box = new QGroupBox(QString::fromUtf8(title), this);
    box->setObjectName(QString::fromLatin1(name));
    auto* form = new QFormLayout(box);
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < plan::kOutputKeyCount; ++i)
        if (plan::kOutputKeys[i].box == which)
            shown.push_back(i);
    std::sort(shown.begin(), shown.end(),
              [](std::size_t a, std::size_t b) { return plan::kOutputKeys[a].row < plan::kOutputKeys[b].row; });
    for (std::size_t i : shown) {
        const plan::OutputKey& k = plan::kOutputKeys[i];
        QWidget* w = settings[i] = settingWidget(k, box);
        if (widgetOf(k.value) == SettingWidget::Check)
            form->addRow(w);
        else
            form->addRow(QString::fromUtf8(k.label.data(), static_cast<int>(k.label.size())), w);
    }
    return box;
}

QWidget* OutputsDialog::buildPreview()
{
    auto* split = previewSplit = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("previewSplitter"));
    auto* left = new QWidget(split);
    auto* ll = new QVBoxLayout(left);
    ll->setContentsMargins(0, 0, 0, 0);
    listTitle = new QLabel(left);
    ll->addWidget(listTitle);
    files = new QListWidget(left);
    files->setObjectName(QStringLiteral("outputFiles"));
    files->setAccessibleName(QStringLiteral("Files to be written"));
    files->setAccessibleDescription(
        QStringLiteral("The files Save writes, one chosen to show beside; or why the plan is refused, each reason "
                       "naming its block, whose choice selects the block in the planner"));
    files->setUniformItemSizes(true);
    listTitle->setBuddy(files);
    ll->addWidget(files, 1);
    connect(files, &QListWidget::currentRowChanged, this, &OutputsDialog::choose);
    auto* right = textPane = new QWidget(split);
    auto* rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    auto* textTitle = new QLabel(QStringLiteral("File te&xt:"), right);
    rl->addWidget(textTitle);
    text = new QPlainTextEdit(right);
    text->setObjectName(QStringLiteral("outputText"));
    text->setAccessibleName(QStringLiteral("File text"));
    text->setAccessibleDescription(QStringLiteral("The text of the file chosen in the list, read only"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    textTitle->setBuddy(text);
    rl->addWidget(text, 1);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 3);
    split->setSizes({240, 720});
    return split;
}

void OutputsDialog::fieldsEdited()
{
    if (filling)
        return;
    planner::OutputFields& f = model->fields;
    for (std::size_t i = 0; i < plan::kOutputKeyCount; ++i)
        f.texts[i] = settingText(plan::kOutputKeys[i].value, settings[i]);
    planner::OutputChoice& c = model->choice;
    const planner::OutputChoice before = c;
    c.kea4 = kea4->isChecked();
    c.kea6 = kea6->isChecked();
    c.dnsmasq = dnsmasq->isChecked();
    c.zones = zones->isChecked();
    c.keaForm = keaForm->currentIndex() == 1 ? deploy::KeaForm::Fragment : deploy::KeaForm::Whole;
    if (!(c == before))
        remember(kOutputsGroup, {{kChoiceKey, q(planner::choiceText(c))}});
    refresh();
    later->start();
}

void OutputsDialog::refresh()
{
    filling = true;
    for (std::size_t i = 0; i < plan::kOutputKeyCount; ++i)
        showSetting(plan::kOutputKeys[i].value, settings[i], model->fields.texts[i]);
    const planner::OutputChoice& c = model->choice;
    kea4->setChecked(c.kea4);
    kea6->setChecked(c.kea6);
    dnsmasq->setChecked(c.dnsmasq);
    zones->setChecked(c.zones);
    keaForm->setCurrentIndex(c.keaForm == deploy::KeaForm::Fragment ? 1 : 0);
    keaForm->setEnabled(c.kea4 || c.kea6);
    filling = false;
    const std::string why = model->settingsError();
    settingsError->setText(q(why));
    settingsError->setVisible(!why.empty());
    applyButton->setEnabled(model->settingsChanged());
    status->setText(q(model->status()));
    if (model->error())
        setAccentText(status, Accent::Warning);
    else
        clearAccentText(status);
    busyNote->setVisible(work.busy());
    stop->setVisible(work.busy());
    copyButton->setEnabled(!model->preview().files.empty());
}

void OutputsDialog::refreshPreview()
{
    const planner::OutputPreview& p = model->preview();
    const bool refused = !p.faults.empty();
    listTitle->setText(refused ? QStringLiteral("&Why the plan is refused (choosing a reason selects its block):")
                               : QStringLiteral("Files to be &written:"));
    // The reasons take the whole width: there is no file to show beside them.
    textPane->setVisible(!refused);
    files->setAccessibleName(refused ? QStringLiteral("Why the plan is refused")
                                     : QStringLiteral("Files to be written"));
    filling = true;
    files->clear();
    if (refused)
        for (const textio::Problem& f : p.faults)
            files->addItem(q(f.message));
    else
        for (const deploy::OutputFile& f : p.files)
            files->addItem(q(f.name + "  (" + planner::countText(lineCount(f.text), "line", "lines") + ")"));
    files->setWordWrap(refused);
    if (refused)
        setAccentText(files, Accent::Warning);  // each reason a fault, as the Hosts tab's problems
    else
        clearAccentText(files);
    if (!refused && !p.files.empty())
        files->setCurrentRow(static_cast<int>(model->chosenFile()));
    filling = false;
    text->setPlainText(q(model->shownText()));
    // Every file's name in full, unless that takes more than half the room.
    const int want =
        files->sizeHintForColumn(0) + 2 * files->frameWidth() + files->verticalScrollBar()->sizeHint().width() + 4;
    const int room = previewSplit->width();
    if (!refused && files->width() < want && room > 0)
        previewSplit->setSizes({std::min(want, room / 2), room - std::min(want, room / 2)});
    refresh();
}

void OutputsDialog::choose(int row)
{
    if (filling || row < 0)
        return;
    if (!model->preview().faults.empty()) {
        if (selectBlock && model->faultBlock(static_cast<std::size_t>(row)) != plan::kNoBlock)
            selectBlock(model->faultBlock(static_cast<std::size_t>(row)));
        return;
    }
    model->chooseFile(static_cast<std::size_t>(row));
    text->setPlainText(q(model->shownText()));
}

void OutputsDialog::updatePreview()
{
    later->stop();
    std::optional<planner::OutputsForm::Job> job = model->previewJob();
    if (!job) {
        refresh();
        return;
    }
    const plan::Plan& p = job->plan;
    if (p.blockCount() + p.hosts().size() < backgroundFrom) {
        work.cancel();
        model->showPreview(*job, planner::makePreview(p, job->key.choice, job->key.today));
        refreshPreview();
        return;
    }
    auto shared = std::make_shared<const planner::OutputsForm::Job>(std::move(*job));
    work.start([this, shared](const std::atomic<bool>&) -> std::function<void()> {
        auto made = std::make_shared<planner::OutputPreview>(
            planner::makePreview(shared->plan, shared->key.choice, shared->key.today));
        return [this, shared, made] { model->showPreview(*shared, std::move(*made)); };
    });
    refresh();
}

void OutputsDialog::stopPreview()
{
    work.cancel();
    saveWhenDone.reset();
    refresh();
}

void OutputsDialog::save()
{
    const std::optional<std::string> folder = sv->chooseFolder();
    if (!folder)
        return;
    updatePreview();
    if (work.busy()) {
        // The files once the preview of what they hold is made.
        saveWhenDone = folder;
        refresh();
        return;
    }
    model->saveTo(*folder);
    if (changed)
        changed();
    refresh();
}

void OutputsDialog::reject()
{
    const bool typed = model->settingsChanged();
    const bool mayClose = model->queryClose();
    if (typed && changed)
        changed();  // applied, perhaps: the planner shows the plan as it is
    refresh();
    if (mayClose)
        QDialog::reject();
}

void OutputsDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && work.busy()) {
        stopPreview();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Planner::editOutputs()
{
    OutputsDialog d(this, *model);
    d.setSelectBlock([this](plan::BlockId id) {
        selectBlock(id);
        refresh();
    });
    d.setChanged([this] { refresh(); });
    d.exec();
    refresh();
}

}  // namespace mq::ui
