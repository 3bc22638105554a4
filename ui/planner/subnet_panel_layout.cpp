// The subnet panel's layout rows: gateway, kept addresses, DHCP ranges and IPv6 modes of
// the block shown, their labels and descriptions, and Esc on a refused text.
#include "ui/planner/subnet_panel.h"
#include "ui/planner/subnet_picture.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace mq::ui {

using net::Family;
using planner::GatewayChoice;

// A row's label that names its control for a screen reader (which reads a choice box by
// its current text and the label that points at it).
QLabel* SubnetPanel::buddyLabel(QWidget* parent, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// What each control of the panel does, read after its name.
void SubnetPanel::describeControls()
{
    static const std::pair<const char*, const char*> descriptions[] = {
        {"subnetFamily", "Which block of the segment the layout rows show: its IPv4 or its IPv6 block"},
        {"gatewayChoice", "Where the block's gateway comes from: the plan's rule, none, or the address beside it"},
        {"gateway", "The block's gateway: an address of the block, ::1 or next; empty for none"},
        {"rangeChoice", "Whether the block's DHCP ranges follow the plan's rule or its own list below"},
        {"newRange", "A range to add: first-last, each end an address or, for IPv6, ::N"},
        {"addRange", "Adds the range typed beside it to the block's own list"},
        {"deleteRange", "Deletes the range selected in the list"},
        {"dhcp6Mode", "How the IPv6 block hands out addresses: the plan's rule, SLAAC, stateful DHCPv6 or both"},
        {"addHost", "Adds a host with the next free addresses of the block (Insert)"},
        {"deleteHosts", "Deletes the hosts selected in the table (Delete)"},
        {"pasteHosts", "Opens a box to paste host rows into; Ctrl+V in the table pastes the clipboard's rows"},
        {"importHosts", "Reads host rows into this block, or another tool's hosts into the blocks that hold their "
                        "addresses"},
        {"hostRole", "The role of the host selected in the table"},
    };
    for (const auto& [name, text] : descriptions)
        if (auto* w = findChild<QWidget*>(QString::fromUtf8(name)))
            w->setAccessibleDescription(QString::fromUtf8(text));
    for (QWidget* w : findChildren<QWidget*>())
        if (w->accessibleDescription().isEmpty() && !w->toolTip().isEmpty())
            w->setAccessibleDescription(w->toolTip());
}

QWidget* SubnetPanel::buildLayoutBox()
{
    auto* box = new QGroupBox(QStringLiteral("Layout"), this);
    box->setObjectName(QStringLiteral("subnetLayoutBox"));
    auto* form = new QFormLayout(box);
    family = new QComboBox(box);
    family->setObjectName(QStringLiteral("subnetFamily"));
    family->setAccessibleName(QStringLiteral("Block shown"));
    connect(family, &QComboBox::activated, this, [this] {
        pic->setFamily(currentFamily());
        refreshLayout();
    });
    form->addRow(QStringLiteral("Block:"), family);
    auto* gatewayRow = new QHBoxLayout;
    gatewayChoice = new QComboBox(box);
    gatewayChoice->setObjectName(QStringLiteral("gatewayChoice"));
    gatewayChoice->setAccessibleName(QStringLiteral("Gateway from"));
    gatewayChoice->addItems({QStringLiteral("Plan's rule"), QStringLiteral("None"), QStringLiteral("Address")});
    gateway = new QLineEdit(box);
    gateway->setObjectName(QStringLiteral("gateway"));
    gateway->setAccessibleName(QStringLiteral("Gateway address"));
    connect(gatewayChoice, &QComboBox::activated, this, [this](int i) {
        edited(model->setGateway(currentFamily(), static_cast<GatewayChoice>(i), gateway->text().toStdString()),
               gatewayChoice);
    });
    connect(gateway, &QLineEdit::editingFinished, this, [this] {
        const std::string t = gateway->text().toStdString();
        if (t == model->gatewayText(currentFamily()) && keepTyped != gateway)
            return;
        edited(model->setGateway(currentFamily(), t.empty() ? GatewayChoice::None : GatewayChoice::Address, t),
               gateway);
    });
    gatewayRow->addWidget(gatewayChoice);
    gatewayRow->addWidget(gateway, 1);
    form->addRow(buddyLabel(box, QStringLiteral("Gateway:"), gatewayChoice), gatewayRow);
    kept = new QLineEdit(box);
    kept->setObjectName(QStringLiteral("kept"));
    kept->setAccessibleName(QStringLiteral("Kept for network devices"));
    kept->setToolTip(
        QStringLiteral("The first addresses kept for routers of a redundant gateway; empty: the plan's rule"));
    connect(kept, &QLineEdit::editingFinished, this, [this] {
        const std::string t = kept->text().toStdString();
        if (t == model->keptText(currentFamily()) && keepTyped != kept)
            return;
        edited(model->setKept(currentFamily(), t), kept);
    });
    // The count that results, in words beside the box: a placeholder vanishes once typed
    // into, and a screen reader does not read it.
    keptNote = new QLabel(box);
    keptNote->setObjectName(QStringLiteral("keptNote"));
    auto* keptRow = new QHBoxLayout;
    keptRow->addWidget(kept);
    keptRow->addWidget(keptNote, 1);
    form->addRow(buddyLabel(box, QStringLiteral("Kept:"), kept), keptRow);
    order = {family, gatewayChoice, gateway, kept};
    cloud = new QLabel(box);
    cloud->setObjectName(QStringLiteral("cloudReserved"));
    cloud->setWordWrap(true);
    form->addRow(cloud);
    form->addRow(buildRangeRows(box));
    return box;
}

QWidget* SubnetPanel::buildRangeRows(QWidget* box)
{
    auto* w = new QWidget(box);
    auto* rows = new QFormLayout(w);
    rows->setContentsMargins(0, 0, 0, 0);
    rangeChoice = new QComboBox(w);
    rangeChoice->setObjectName(QStringLiteral("rangeChoice"));
    rangeChoice->setAccessibleName(QStringLiteral("DHCP ranges from"));
    rangeChoice->addItems({QStringLiteral("Plan's rule"), QStringLiteral("Own list")});
    connect(rangeChoice, &QComboBox::activated, this,
            [this](int i) { edited(model->setOwnRanges(currentFamily(), i == 1), rangeChoice); });
    rows->addRow(QStringLiteral("DHCP ranges:"), rangeChoice);
    ranges = new QListWidget(w);
    ranges->setObjectName(QStringLiteral("ranges"));
    ranges->setAccessibleName(QStringLiteral("DHCP ranges"));
    ranges->setAccessibleDescription(QStringLiteral("F2 edits the range selected, Delete deletes it"));
    ranges->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    ranges->setMaximumHeight(ranges->fontMetrics().height() * 3 + 8);
    connect(ranges, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        edited(
            model->setRange(currentFamily(), static_cast<std::size_t>(ranges->row(item)), item->text().toStdString()),
            ranges);
    });
    rows->addRow(ranges);
    auto* addRow = new QHBoxLayout;
    newRange = new QLineEdit(w);
    newRange->setObjectName(QStringLiteral("newRange"));
    newRange->setAccessibleName(QStringLiteral("Range to add"));
    newRange->setPlaceholderText(QStringLiteral("first-last"));
    QPushButton* add = button(w, "addRange", QStringLiteral("Add range"), QStringLiteral("Add the range"), [this] {
        const bool ok = model->addRange(currentFamily(), newRange->text().toStdString());
        if (ok)
            newRange->clear();
        return ok;
    });
    connect(newRange, &QLineEdit::returnPressed, add, &QPushButton::click);
    QPushButton* del =
        button(w, "deleteRange", QStringLiteral("Delete range"), QStringLiteral("Delete the range"), [this] {
            return ranges->currentRow() >= 0 &&
                   model->deleteRange(currentFamily(), static_cast<std::size_t>(ranges->currentRow()));
        });
    addRow->addWidget(newRange, 1);
    addRow->addWidget(add);
    addRow->addWidget(del);
    rows->addRow(addRow);
    auto* v6Row = new QHBoxLayout;
    dhcp6 = new QComboBox(w);
    dhcp6->setObjectName(QStringLiteral("dhcp6Mode"));
    dhcp6->setAccessibleName(QStringLiteral("IPv6 addresses by"));
    dhcp6->addItems({QStringLiteral("Plan's rule"), QStringLiteral("SLAAC only"), QStringLiteral("Stateful DHCPv6"),
                     QStringLiteral("SLAAC and DHCPv6")});
    connect(dhcp6, &QComboBox::activated, this, [this](int i) {
        edited(model->setDhcp6(i == 0 ? std::nullopt : std::optional(static_cast<plan::Dhcp6Mode>(i - 1))), dhcp6);
    });
    delegation = new QLineEdit(w);
    delegation->setObjectName(QStringLiteral("delegation"));
    delegation->setAccessibleName(QStringLiteral("Delegated prefix length"));
    delegation->setPlaceholderText(QStringLiteral("no delegation"));
    delegation->setToolTip(QStringLiteral("A length such as /56 makes the block a prefix-delegation pool"));
    connect(delegation, &QLineEdit::editingFinished, this, [this] {
        const std::string t = delegation->text().toStdString();
        if (t == model->delegationText() && keepTyped != delegation)
            return;
        edited(model->setDelegation(t), delegation);
    });
    v6Row->addWidget(dhcp6, 1);
    v6Row->addWidget(buddyLabel(w, QStringLiteral("Pool of"), delegation));
    v6Row->addWidget(delegation);
    rows->addRow(buddyLabel(w, QStringLiteral("IPv6:"), dhcp6), v6Row);
    order += QWidgetList{rangeChoice, ranges, newRange, add, del, dhcp6, delegation};
    return w;
}

bool SubnetPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        watched == keepTyped) {
        giveUpRefusal();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SubnetPanel::giveUpRefusal()
{
    keepTyped = nullptr;
    model->dismissRefusal();
    refreshLayout();
    showStatus();
}

// The layout rows of the family chosen; a line edit whose text was refused keeps it.
void SubnetPanel::refreshLayout()
{
    const Family f = currentFamily();
    const bool fixed = model->cloudFixed(f);
    const QSignalBlocker quiet1(gatewayChoice), quiet2(rangeChoice), quiet3(dhcp6), quiet4(ranges);
    gatewayChoice->setCurrentIndex(static_cast<int>(model->gatewayChoice(f)));
    if (keepTyped != gateway)
        gateway->setText(QString::fromStdString(model->gatewayText(f)));
    if (keepTyped != kept)
        kept->setText(QString::fromStdString(model->keptText(f)));
    kept->setPlaceholderText(QStringLiteral("plan's rule"));
    keptNote->setText(QString::fromStdString(model->keptNote(f)));
    kept->setAccessibleDescription(kept->toolTip() + QStringLiteral("; ") + keptNote->text());
    for (QWidget* w :
         {static_cast<QWidget*>(gatewayChoice), static_cast<QWidget*>(gateway), static_cast<QWidget*>(kept)})
        w->setEnabled(!fixed);
    cloud->setText(QString::fromStdString(model->cloudText(f)));
    cloud->setVisible(fixed);
    rangeChoice->setCurrentIndex(model->ownRanges(f) ? 1 : 0);
    if (keepTyped != ranges) {
        ranges->clear();
        for (const std::string& r : model->rangeTexts(f)) {
            auto* item = new QListWidgetItem(QString::fromStdString(r), ranges);
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
    }
    const bool v6 = f == Family::V6 && model->block(f) != plan::kNoBlock;
    dhcp6->setEnabled(v6);
    delegation->setEnabled(v6);
    const auto mode = v6 ? model->dhcp6() : std::nullopt;
    dhcp6->setCurrentIndex(mode ? static_cast<int>(*mode) + 1 : 0);
    if (keepTyped != delegation)
        delegation->setText(v6 ? QString::fromStdString(model->delegationText()) : QString());
}
}  // namespace mq::ui
