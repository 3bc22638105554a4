#include "ui/planner/subnet_panel.h"

#include "ui/planner/accessible_widgets.h"
#include "ui/planner/elided_label.h"
#include "ui/planner/host_entry.h"
#include "ui/planner/subnet_picture.h"
#include "ui/platform/theme.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace mq::ui {

using net::Family;
using planner::GatewayChoice;
using planner::HostColumn;

namespace {

constexpr plan::HostRole kRoles[] = {plan::HostRole::Other,  plan::HostRole::Gateway, plan::HostRole::Router,
                                     plan::HostRole::Server, plan::HostRole::Printer, plan::HostRole::AccessPoint,
                                     plan::HostRole::Camera, plan::HostRole::Reserved};

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// The role names to choose from, in the cell's editor and beside the table.
QComboBox* roleChoice(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(QStringLiteral("Role"));
    for (plan::HostRole r : kRoles)
        box->addItem(QString::fromUtf8(plan::roleName(r)));
    return box;
}

// The role column edits in a choice box of the role names; every cell whose edit was
// refused opens again with the text that was typed.
class HostCellDelegate : public QStyledItemDelegate {
public:
    HostCellDelegate(HostRowsModel& rows, HostEntry& keys, QObject* parent)
        : QStyledItemDelegate(parent), model(rows), entry(keys)
    {
    }
    // Tab in an editor goes where HostEntry says, not always on to the next cell.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
            if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                entry.tab(editor, key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() != planner::HostRole)
            return QStyledItemDelegate::createEditor(parent, option, index);
        return roleChoice(parent, "hostRoleBox");
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const bool again = model.refusedCell() == index;
        const QString text = again ? model.refusedText() : index.data(Qt::EditRole).toString();
        if (auto* box = qobject_cast<QComboBox*>(editor))
            box->setCurrentIndex(std::max(0, box->findText(text)));
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setText(text);
        else
            QStyledItemDelegate::setEditorData(editor, index);
        if (again)
            model.clearRefused();
    }
    void setModelData(QWidget* editor, QAbstractItemModel* m, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor))
            m->setData(index, box->currentText(), Qt::EditRole);
        else
            QStyledItemDelegate::setModelData(editor, m, index);
    }

private:
    HostRowsModel& model;
    HostEntry& entry;
};

}  // namespace

// ---------------------------------------------------------------- host rows

HostRowsModel::HostRowsModel(planner::SubnetForm& f, QObject* parent) : QAbstractTableModel(parent), form(f) { }

int HostRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !form.active() ? 0 : static_cast<int>(form.rowCount());
}

int HostRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : planner::HostColumnCount;
}

QVariant HostRowsModel::data(const QModelIndex& index, int role) const
{
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= form.rowCount())
        return {};
    if (form.isNewRow(row)) {
        if (role == Qt::DisplayRole && index.column() == planner::HostName)
            return QStringLiteral("(type a new host here)");
        if (role == Qt::ForegroundRole)
            return accent(Accent::Muted, QApplication::palette(), QPalette::Base);
        return role == Qt::EditRole ? QVariant(QString()) : QVariant();
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return qs(form.cell(row, index.column()));
    return {};
}

QVariant HostRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QString::fromUtf8(planner::blockHostColumnTitle(section));
    return {};
}

Qt::ItemFlags HostRowsModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool HostRowsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    const QString text = value.toString();
    const auto row = static_cast<std::size_t>(index.row());
    const bool fresh = form.isNewRow(row);
    last = Edit{fresh ? std::nullopt : std::optional(form.hostOf(row)), index.column()};
    if (form.setCell(row, index.column(), text.toStdString())) {
        if (fresh) {
            last.added = true;
            last.host = form.plan().hosts().size() - 1;  // a new host goes at the end of the plan's
        }
        emit cellEdited();
        return true;
    }
    if (!form.status().empty()) {
        last.refused = true;
        refused = index;
        typed = text;
        emit refusedEdit(index);
    }
    return false;
}

void HostRowsModel::reload()
{
    beginResetModel();
    endResetModel();
}

// ---------------------------------------------------------------- panel

SubnetPanel::SubnetPanel(planner::PlannerForm& planner, planner::PlannerServices& services, QWidget* parent)
    : QWidget(parent), model(std::make_unique<planner::SubnetForm>(planner, services))
{
    setObjectName(QStringLiteral("subnetPanel"));
    auto* top = new QVBoxLayout(this);
    // Elided: a long block name would widen the panel past the window.
    title = new ElidedLabel(this);
    title->setObjectName(QStringLiteral("subnetTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    top->addWidget(title);
    auto* columns = new QHBoxLayout;
    top->addLayout(columns, 1);
    columns->addWidget(buildLayoutBox());
    columns->addWidget(buildHostBox(), 1);
    // No accessible name: it would stand in for the text.
    status = new ElidedLabel(this);
    status->setObjectName(QStringLiteral("subnetStatus"));
    status->setAccessibleDescription(QStringLiteral("Why the last edit of the subnet was refused"));
    top->addWidget(status);
    describeControls();
    for (QLineEdit* line : {gateway, kept, newRange, delegation})
        line->installEventFilter(this);
}

SubnetPanel::~SubnetPanel() = default;

QPushButton* SubnetPanel::button(QWidget* parent, const char* name, const QString& text, const QString& accessible,
                                 const std::function<bool()>& action)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(accessible);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, action, b] { edited(action(), b); });
    return b;
}

// Rows for this block (addresses may be "next" or left out), or another tool's file whose
// hosts go into the blocks that hold their addresses, as the Import menu does.
QPushButton* SubnetPanel::importButton(QWidget* parent)
{
    auto* b = new MenuButton(QStringLiteral("Import..."), parent);
    b->setObjectName(QStringLiteral("importHosts"));
    b->setAccessibleName(QStringLiteral("Import hosts from a file"));
    auto* menu = new QMenu(b);
    menu->setObjectName(QStringLiteral("importHostsMenu"));
    auto add = [this, menu, b](const char* name, const QString& text, std::function<bool()> action) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, action, b] { edited(action(), b); });
    };
    add("actionImportBlockRows", QStringLiteral("Rows into this block (CSV or tab-separated)..."),
        [this] { return model->importFile(); });
    menu->addSeparator();
    struct Source {
        const char* name;
        const char* text;
        interchange::HostFormat format;
    };
    const Source sources[] = {
        {"actionImportPlanHostsCsv", "Hosts CSV of the plan...", interchange::HostFormat::Csv},
        {"actionImportPlanNetbox", "NetBox IP addresses or ranges CSV...", interchange::HostFormat::Netbox},
        {"actionImportPlanPhpipam", "phpIPAM IP addresses CSV...", interchange::HostFormat::Phpipam},
        {"actionImportPlanEtcHosts", "Hosts file (/etc/hosts)...", interchange::HostFormat::EtcHosts}};
    for (const Source& s : sources)
        add(s.name, QString::fromUtf8(s.text), [this, f = s.format] { return model->importPlanHosts(f); });
    b->setMenu(menu);
    return b;
}

QWidget* SubnetPanel::buildHostBox()
{
    auto* box = new QGroupBox(QStringLiteral("Addresses and hosts"), this);
    box->setObjectName(QStringLiteral("subnetHostsBox"));
    auto* v = new QVBoxLayout(box);
    pic = new SubnetPicture(*model, box);
    v->addWidget(pic);
    hostRows = new HostRowsModel(*model, this);
    hosts = new QTableView(box);
    hosts->setObjectName(QStringLiteral("subnetHosts"));
    hosts->setAccessibleName(QStringLiteral("Hosts of the block"));
    hosts->setAccessibleDescription(QStringLiteral(
        "Type into a cell to edit it, into the last row to add a host; Insert adds a host, Delete deletes the rows "
        "selected, Ctrl+V pastes rows from a spreadsheet"));
    hosts->setModel(hostRows);
    entry = new HostEntry(hosts, *hostRows, *model);
    hosts->setItemDelegate(new HostCellDelegate(*hostRows, *entry, hosts));
    // Tab leaves the table (the arrows move between cells); in an editor HostEntry decides.
    hosts->setTabKeyNavigation(false);
    hosts->setSelectionBehavior(QAbstractItemView::SelectRows);
    hosts->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    hosts->verticalHeader()->hide();
    hosts->verticalHeader()->setDefaultSectionSize(hosts->fontMetrics().height() + 6);
    hosts->horizontalHeader()->setStretchLastSection(true);
    hosts->setWordWrap(false);
    connect(
        hostRows, &HostRowsModel::cellEdited, this, [this] { edited(true, hosts); }, Qt::QueuedConnection);
    connect(hosts->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::RevertModelCache && model->statusRefuses())
                    giveUpRefusal();
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    entry->returned();
            });
    connect(hostRows, &HostRowsModel::refusedEdit, this, [this](const QModelIndex& at) {
        showStatus();
        // After the editor that was refused has closed: open it again with what was typed.
        QTimer::singleShot(0, hosts, [this, at = QPersistentModelIndex(at)] {
            if (at.isValid())
                hosts->edit(at);
        });
    });
    auto key = [this](QKeySequence seq, const std::function<bool()>& fn) {
        auto* a = new QAction(hosts);
        a->setShortcut(seq);
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, [this, fn] { edited(fn(), hosts); });
        hosts->addAction(a);
    };
    auto remove = [this] {
        std::vector<std::size_t> picked;
        selectedRows(picked);
        return model->deleteRows(picked);
    };
    key(QKeySequence(Qt::Key_Insert), [this] { return model->addHost(); });
    key(QKeySequence(Qt::Key_Delete), remove);
    key(QKeySequence::Paste, [this] { return model->paste(QApplication::clipboard()->text().toStdString()); });
    // The buttons beside the table, which then shows more rows.
    auto* tableRow = new QHBoxLayout;
    v->addLayout(tableRow, 1);
    tableRow->addWidget(hosts, 1);
    auto* buttons = new QVBoxLayout;
    const QWidgetList row = {
        button(box, "addHost", QStringLiteral("Add host"), QStringLiteral("Add a host"),
               [this] { return model->addHost(); }),
        button(box, "deleteHosts", QStringLiteral("Delete hosts"), QStringLiteral("Delete the hosts selected"), remove),
        button(box, "pasteHosts", QStringLiteral("Paste rows..."), QStringLiteral("Paste host rows"),
               [this] { return model->pastePrompt(); }),
        importButton(box)};
    for (QWidget* w : row)
        buttons->addWidget(w);
    buttons->addWidget(buildRoleBox(box));
    buttons->addStretch(1);
    tableRow->addLayout(buttons);
    order += QWidgetList{pic, hosts} + row + QWidgetList{role};
    return box;
}

QWidget* SubnetPanel::buildRoleBox(QWidget* box)
{
    auto* w = new QWidget(box);
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    role = roleChoice(w, "hostRole");
    v->addWidget(buddyLabel(w, QStringLiteral("Role:"), role));
    v->addWidget(role);
    connect(role, &QComboBox::activated, this, [this] {
        const QModelIndex at = hosts->currentIndex();
        if (at.isValid())
            edited(model->setCell(static_cast<std::size_t>(at.row()), planner::HostRole,
                                  role->currentText().toStdString()),
                   role);
    });
    connect(hosts->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { showRole(); });
    connect(hostRows, &QAbstractItemModel::modelReset, this, [this] { showRole(); });
    return w;
}

void SubnetPanel::showRole()
{
    const QModelIndex at = hosts->currentIndex();
    const bool host = at.isValid() && !model->isNewRow(static_cast<std::size_t>(at.row()));
    role->setEnabled(host);
    const QSignalBlocker quiet(role);
    role->setCurrentIndex(
        host ? std::max(0, role->findText(qs(model->cell(static_cast<std::size_t>(at.row()), planner::HostRole))))
             : -1);
}

void SubnetPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh(pendingBlock);
}

QWidgetList SubnetPanel::tabOrder() const
{
    return order;
}

void SubnetPanel::selectedRows(std::vector<std::size_t>& out) const
{
    for (const QModelIndex& at : hosts->selectionModel()->selectedRows())
        out.push_back(static_cast<std::size_t>(at.row()));
    if (out.empty() && hosts->currentIndex().isValid())
        out.push_back(static_cast<std::size_t>(hosts->currentIndex().row()));
}

void SubnetPanel::edited(bool ok, QWidget* where)
{
    keepTyped = ok || model->status().empty() ? nullptr : where;
    if (ok && changed)
        changed();
    else
        refreshLayout();
    showStatus();
}

void SubnetPanel::showStatus()
{
    status->setText(qs(model->status()));
    if (!model->statusRefuses()) {
        clearAccentText(status);
        return;
    }
    setAccentText(status, Accent::Warning);
    // Under the tables, the reason may lie below the view the panel is scrolled in.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(w)) {
            scroll->ensureWidgetVisible(status);
            break;
        }
}

void SubnetPanel::refresh(plan::BlockId id)
{
    // Hidden behind the map, the panel waits until it is shown.
    pendingBlock = id;
    if (!isVisible())
        return;
    model->select(id);
    model->sync();
    title->setText(qs(model->title()));
    const bool otherBlock = id != shownBlock;
    if (otherBlock)
        keepTyped = nullptr;  // what was typed for the block left goes with it
    {
        // The blocks of the segment shown: the family of the block chosen in the tree, or
        // the family chosen here kept while the same block stays selected.
        const QSignalBlocker quiet(family);
        int was = family->currentData().toInt();
        if (otherBlock && model->plan().exists(id))
            was = static_cast<int>(model->plan().block(id).prefix.address.family);
        family->clear();
        for (const Family f : {Family::V4, Family::V6})
            if (model->block(f) != plan::kNoBlock)
                family->addItem(qs(planner::prefixText(model->plan().block(model->block(f)).prefix)),
                                static_cast<int>(f));
        family->setCurrentIndex(std::max(0, family->findData(was)));
    }
    for (QWidget* box : {static_cast<QWidget*>(family->parentWidget()), static_cast<QWidget*>(hosts->parentWidget())})
        box->setEnabled(model->active());
    if (model->revision() != shownRevision || id != shownBlock) {
        shownRevision = model->revision();
        shownBlock = id;
        hostRows->reload();
        // Whole addresses: IPv6 ones are wider than a column's default.
        hosts->resizeColumnsToContents();
    }
    pic->setFamily(currentFamily());
    refreshLayout();
    showStatus();
}

Family SubnetPanel::currentFamily() const
{
    return family->currentData().toInt() == 6 ? Family::V6 : Family::V4;
}

}  // namespace mq::ui
