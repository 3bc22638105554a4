#include "ui/planner/outputs_dialog.h"

#include "deploy/zones.h"
#include "ui/planner/planner.h"
#include "ui/platform/remembered.h"
#include "ui/platform/theme.h"

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

constexpr int kZoneCuts4[] = {8, 16, 24};

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
    top->addWidget(buildDhcpFields(), 3);
    top->addWidget(buildZoneFields(), 2);
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

QWidget* OutputsDialog::buildDhcpFields()
{
    auto* box = new QGroupBox(QStringLiteral("Names and DHCP"), this);
    box->setObjectName(QStringLiteral("dhcpSettings"));
    auto* form = new QFormLayout(box);
    domain = field("domain", "Domain", "The forward zone and the DHCP domain name, such as campus.example");
    dnsServers = field("dnsServers", "DNS servers",
                       "Addresses DHCP hands out as DNS servers, separated by commas; IPv4 ones by DHCPv4, IPv6 "
                       "ones by DHCPv6");
    nameServers = new QPlainTextEdit(box);
    nameServers->setObjectName(QStringLiteral("nameServers"));
    nameServers->setAccessibleName(QStringLiteral("Name servers"));
    nameServers->setAccessibleDescription(
        QStringLiteral("Every zone's name servers, one a line: NAME, or NAME=ADDRESS when the name lies in the "
                       "domain; the first is the primary"));
    nameServers->setPlaceholderText(QStringLiteral("ns1.campus.example=10.40.2.4"));
    nameServers->setTabChangesFocus(true);
    nameServers->setFixedHeight(nameServers->fontMetrics().lineSpacing() * 3 + 12);
    connect(nameServers, &QPlainTextEdit::textChanged, this, &OutputsDialog::fieldsEdited);
    hostmaster = field("hostmaster", "Hostmaster",
                       "The zones' mailbox as a name (hostmaster.campus.example); empty for hostmaster in the domain");
    interface = field("interface", "Interface", "The interface the DHCP server listens on; empty for every one");
    leaseFile = field("leaseFile", "Lease file", "The path of Kea's lease file; empty for the server's default");
    valid = field("validLifetime", "Valid lifetime", "How long a DHCP lease lasts, in seconds");
    preferred = field("preferredLifetime", "Preferred lifetime", "DHCPv6's preferred lifetime, in seconds");
    domain->setPlaceholderText(QStringLiteral("campus.example"));
    hostmaster->setPlaceholderText(QStringLiteral("hostmaster in the domain"));
    interface->setPlaceholderText(QStringLiteral("every interface"));
    leaseFile->setPlaceholderText(QStringLiteral("the server's default"));
    const std::pair<const char*, QWidget*> rows[] = {{"&Domain:", domain},
                                                     {"D&NS servers:", dnsServers},
                                                     {"Name ser&vers:", nameServers},
                                                     {"&Hostmaster:", hostmaster},
                                                     {"&Interface:", interface},
                                                     {"&Lease file:", leaseFile},
                                                     {"Valid li&fetime (s):", valid},
                                                     {"&Preferred lifetime (s):", preferred}};
    for (const auto& [label, w] : rows)
        form->addRow(QString::fromUtf8(label), w);
    return box;
}

QWidget* OutputsDialog::buildZoneFields()
{
    auto* box = new QGroupBox(QStringLiteral("Zones"), this);
    box->setObjectName(QStringLiteral("zoneSettings"));
    auto* form = new QFormLayout(box);
    ttl = field("ttl", "TTL", "The zones' default time to live, in seconds");
    refreshTime = field("refresh", "Refresh", "How often secondaries check the zone, in seconds");
    retry = field("retry", "Retry", "How soon secondaries try again after a failed check, in seconds");
    expire = field("expire", "Expire", "How long secondaries keep answering without reaching the primary, seconds");
    minimum = field("minimum", "Negative TTL",
                    "How long resolvers keep a name that does not exist, in seconds "
                    "(the SOA minimum)");
    zoneCut4 =
        choices(box, "zoneCut4", "IPv4 zone cut", "One IPv4 reverse zone per /8, /16 or /24", {"/8", "/16", "/24"});
    zoneCut6 = choices(box, "zoneCut6", "IPv6 zone cut",
                       "One IPv6 reverse zone per root, or per prefix of this length (a multiple of 4)",
                       {planner::kPerRoot, "/32", "/48", "/56", "/64"});
    zoneCut6->setEditable(true);
    zoneCut6->lineEdit()->setAccessibleName(zoneCut6->accessibleName());
    zoneCut6->lineEdit()->setAccessibleDescription(zoneCut6->accessibleDescription());
    naming = choices(box, "naming", "RFC 2317 zone names",
                     "How the zone of an IPv4 block longer than /24 is named: by first address and length, or by "
                     "first and last address",
                     {"64/26", "64-127"});
    rfc2317 = choices(box, "rfc2317", "RFC 2317 child zones",
                      "Whether an IPv4 block longer than /24 has its PTRs in the zone at the cut, or a child zone "
                      "of its own (RFC 2317: CNAMEs and NS records in the zone at the cut)",
                      {"Only the delegated blocks", "Every block longer than /24"});
    delegated = field("delegated", "Delegated blocks",
                      "Blocks longer than /24 given a child zone of their own, separated by commas");
    delegated->setPlaceholderText(QStringLiteral("10.40.1.64/26, 10.40.1.128/27"));
    emptyZones = check(box, "emptyReverseZones", "Write empty reverse zones", "Empty reverse zones",
                       "Writes every reverse zone at the cut that covers an assigned block, even one that names no "
                       "address, so that the server answers NXDOMAIN for it");
    connect(rfc2317, &QComboBox::currentIndexChanged, this, &OutputsDialog::fieldsEdited);
    connect(emptyZones, &QCheckBox::toggled, this, &OutputsDialog::fieldsEdited);
    connect(zoneCut4, &QComboBox::currentIndexChanged, this, &OutputsDialog::fieldsEdited);
    connect(zoneCut6, &QComboBox::currentTextChanged, this, &OutputsDialog::fieldsEdited);
    connect(naming, &QComboBox::currentIndexChanged, this, &OutputsDialog::fieldsEdited);
    const std::pair<const char*, QWidget*> rows[] = {{"&TTL (s):", ttl},
                                                     {"&Refresh (s):", refreshTime},
                                                     {"Retr&y (s):", retry},
                                                     {"&Expire (s):", expire},
                                                     {"Ne&gative TTL (s):", minimum},
                                                     {"IPv4 &zone cut:", zoneCut4},
                                                     {"IPv6 zone c&ut:", zoneCut6},
                                                     {"RFC 2317 z&one names:", naming},
                                                     {"RFC 231&7 child zones:", rfc2317},
                                                     {"Delegated blocks:", delegated},
                                                     {"", emptyZones}};
    for (const auto& [label, w] : rows)
        if (*label)
            form->addRow(QString::fromUtf8(label), w);
        else
            form->addRow(w);
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

// Each one-line box with the field it shows: read by fieldsEdited, filled by refresh.
std::array<std::pair<std::string*, QLineEdit*>, 13> OutputsDialog::lineFields(planner::OutputFields& f) const
{
    return {{{&f.domain, domain},
             {&f.dnsServers, dnsServers},
             {&f.hostmaster, hostmaster},
             {&f.interface, interface},
             {&f.leaseFile, leaseFile},
             {&f.validLifetime, valid},
             {&f.preferredLifetime, preferred},
             {&f.ttl, ttl},
             {&f.refresh, refreshTime},
             {&f.retry, retry},
             {&f.expire, expire},
             {&f.minimum, minimum},
             {&f.delegated, delegated}}};
}

void OutputsDialog::fieldsEdited()
{
    if (filling)
        return;
    planner::OutputFields& f = model->fields;
    const auto lines = lineFields(f);
    for (const auto& [value, edit] : lines)
        *value = s(edit->text());
    f.nameServers = s(nameServers->toPlainText());
    f.zoneCut4 = kZoneCuts4[std::max(0, zoneCut4->currentIndex())];
    f.zoneCut6 = s(zoneCut6->currentText());
    f.naming = naming->currentIndex() == 1 ? plan::ReverseNaming::Dash : plan::ReverseNaming::Slash;
    f.rfc2317 = rfc2317->currentIndex() == 1 ? plan::Rfc2317::All : plan::Rfc2317::None;
    f.emptyReverseZones = emptyZones->isChecked();
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
    const planner::OutputFields& f = model->fields;
    const auto lines = lineFields(model->fields);
    for (const auto& [value, edit] : lines)
        setText(edit, *value);
    if (nameServers->toPlainText() != q(f.nameServers))
        nameServers->setPlainText(q(f.nameServers));
    for (int i = 0; i < 3; ++i)
        if (kZoneCuts4[i] == f.zoneCut4)
            zoneCut4->setCurrentIndex(i);
    if (zoneCut6->currentText() != q(f.zoneCut6))
        zoneCut6->setCurrentText(q(f.zoneCut6));
    naming->setCurrentIndex(f.naming == plan::ReverseNaming::Dash ? 1 : 0);
    rfc2317->setCurrentIndex(f.rfc2317 == plan::Rfc2317::All ? 1 : 0);
    emptyZones->setChecked(f.emptyReverseZones);
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
