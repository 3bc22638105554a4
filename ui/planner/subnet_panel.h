// The planner's subnet panel over SubnetForm: the gateway, kept addresses, DHCP ranges and
// IPv6 modes of the block chosen (either family of a dual-stack segment), the picture of
// its addresses and the table of its hosts. Each control calls the form model; refresh()
// copies the model into the widgets, keeping what the user typed where an edit was refused.
#pragma once

#include "planner/subnet_form.h"

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;

namespace mq::ui {

class ElidedLabel;
class HostEntry;
class SubnetPicture;

// The rows of SubnetForm's host table, and an empty one to type a new host into.
class HostRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    HostRowsModel(planner::SubnetForm& form, QObject* parent);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    void reload();
    // The text of the last refused edit and its cell, for the editor opened again on it.
    QModelIndex refusedCell() const { return refused; }
    const QString& refusedText() const { return typed; }
    void clearRefused() { refused = QPersistentModelIndex(); }
    // What the last edit of a cell did, for the keys that go on from it.
    struct Edit {
        std::optional<std::size_t> host;  // the host of the row (the one added from the new row)
        int column = 0;
        bool added = false;  // a host added from the new row
        bool refused = false;  // the cell opens again with what was typed
    };
    const Edit& lastEdit() const { return last; }

signals:
    void refusedEdit(const QModelIndex& index);
    void cellEdited();  // queued: the model is reset only after the editor has closed

private:
    planner::SubnetForm& form;
    QPersistentModelIndex refused;
    QString typed;
    Edit last;
};

class SubnetPanel : public QWidget {
    Q_OBJECT
public:
    SubnetPanel(planner::PlannerForm& planner, planner::PlannerServices& services, QWidget* parent = nullptr);
    ~SubnetPanel() override;
    planner::SubnetForm& form() { return *model; }
    // Shows block id (the planner's selection) and brings every control up to date.
    void refresh(plan::BlockId id);
    // Its controls in tab order.
    QWidgetList tabOrder() const;
    // Called after each edit, so that the planner's tree, table and map follow.
    void setChanged(std::function<void()> fn) { changed = std::move(fn); }

    QTableView* hostTable() const { return hosts; }
    SubnetPicture* picture() const { return pic; }
    QComboBox* familyBox() const { return family; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildLayoutBox();
    QWidget* buildRangeRows(QWidget* box);
    QWidget* buildHostBox();
    QPushButton* importButton(QWidget* parent);
    QPushButton* button(QWidget* parent, const char* name, const QString& text, const QString& accessible,
                        const std::function<bool()>& action);
    void edited(bool ok, QWidget* where);  // after each call of the form model
    void showStatus();
    net::Family currentFamily() const;
    void refreshLayout();
    void selectedRows(std::vector<std::size_t>& out) const;
    QWidget* buildRoleBox(QWidget* box);
    void describeControls();
    static QLabel* buddyLabel(QWidget* parent, const QString& text, QWidget* buddy);
    void showRole();
    void giveUpRefusal();  // Esc on a refused text: the block's own value back, the reason gone

    std::unique_ptr<planner::SubnetForm> model;
    std::function<void()> changed;
    QWidget* keepTyped = nullptr;  // the line edit whose refused text stays until the next edit
    ElidedLabel* title = nullptr;
    ElidedLabel* status = nullptr;
    QComboBox* family = nullptr;
    QComboBox* gatewayChoice = nullptr;
    QLineEdit* gateway = nullptr;
    QLineEdit* kept = nullptr;
    QLabel* keptNote = nullptr;
    QLabel* cloud = nullptr;
    QComboBox* rangeChoice = nullptr;
    QListWidget* ranges = nullptr;
    QLineEdit* newRange = nullptr;
    QComboBox* dhcp6 = nullptr;
    QLineEdit* delegation = nullptr;
    SubnetPicture* pic = nullptr;
    QTableView* hosts = nullptr;
    HostRowsModel* hostRows = nullptr;
    HostEntry* entry = nullptr;
    QComboBox* role = nullptr;  // the role of the host selected, outside the table for a screen reader
    QWidgetList order;
    std::uint64_t shownRevision = ~std::uint64_t(0);
    plan::BlockId shownBlock = plan::kNoBlock;
    plan::BlockId pendingBlock = plan::kNoBlock;  // the planner's selection, shown when visible
};

}  // namespace mq::ui
