// The address range report on screen: a list view over the compact report
// that formats only the lines being painted, so four million lines scroll as
// easily as forty. It reads like a rich text box: bold and italic head lines,
// 9-point text, the listing's four tab stops, lines that can be selected and
// copied as text.
#pragma once

#include "core/dar_model.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTextOption>

namespace mq::ui {

class ReportListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ReportListModel(const DarReport& report, QObject* parent = nullptr);

    // Catches up with the report: new lines are inserted, a cleared report
    // resets. True when the view's lines changed.
    bool sync();
    // The report was cleared since the last sync: the lines shown are not its own.
    bool cleared() const { return r.generation() != generation; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const DarReport& report() const { return r; }

private:
    const DarReport& r;
    std::uint64_t generation = 0;
    int shown = 0;
};

// Paints one report line with its format and the tab stops.
class ReportLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ReportLineDelegate(QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QList<QTextOption::Tab> tabs;
};

class ReportView : public QListView {
    Q_OBJECT
public:
    explicit ReportView(const DarReport& report, QWidget* parent = nullptr);

    ReportListModel* reportModel() const { return lines; }
    // The selected lines, in order, each ending with a line feed.
    QString selectedText() const;
    void copy() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    ReportListModel* lines;
};

// Roles beyond Qt's own.
enum ReportRole { TabStopsRole = Qt::UserRole + 1 };

// The report's fonts: 9 point, bold and italic as a line asks.
QFont reportFont(bool bold = false, bool italic = false);

}  // namespace mq::ui
