#include "ui/classless/lines_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include <algorithm>

namespace mq::ui {

void LinesModel::setLines(const std::vector<std::string>* lines)
{
    beginResetModel();
    lines_ = lines;
    endResetModel();
}

int LinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !lines_ ? 0 : static_cast<int>(std::min<std::size_t>(lines_->size(), INT32_MAX));
}

QVariant LinesModel::data(const QModelIndex& index, int role) const
{
    if (!lines_ || !index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return QString::fromStdString((*lines_)[static_cast<std::size_t>(index.row())]);
}

LinesView::LinesView(const char* name, const char* accessibleName, QWidget* parent) : QListView(parent), model_(this)
{
    setObjectName(QString::fromUtf8(name));
    setAccessibleName(QString::fromUtf8(accessibleName));
    setUniformItemSizes(true);  // a million rows lay out in no time only with this
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setModel(&model_);
}

void LinesView::setLines(const std::vector<std::string>* lines)
{
    model_.setLines(lines);
}

QString LinesView::line(int row) const
{
    return model_.data(model_.index(row), Qt::DisplayRole).toString();
}

QString LinesView::text(bool selectedOnly) const
{
    QStringList out;
    if (selectedOnly) {
        QModelIndexList rows = selectionModel()->selectedRows();
        std::sort(rows.begin(), rows.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        for (const QModelIndex& i : rows)
            out << line(i.row());
    } else {
        for (int r = 0; r < lineCount(); ++r)
            out << line(r);
    }
    return out.join(QLatin1Char('\n'));
}

void LinesView::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(selectionModel()->hasSelection() ? text(true) : text());
        return;
    }
    QListView::keyPressEvent(e);
}

}  // namespace mq::ui
