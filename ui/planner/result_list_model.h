// The Allocate panel's result lines, read from the form model on demand, so
// that a million lines cost no copy and no widget items.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

namespace mq::ui {

class ResultListModel : public QAbstractListModel {
public:
    explicit ResultListModel(const std::vector<std::string>& lines, QObject* parent = nullptr)
        : QAbstractListModel(parent), source(lines)
    {
    }
    // The lines were replaced.
    void reload()
    {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(source.size());
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override
    {
        if (!index.isValid() || index.row() >= static_cast<int>(source.size()) || role != Qt::DisplayRole)
            return {};
        return QString::fromStdString(source[static_cast<std::size_t>(index.row())]);
    }

private:
    const std::vector<std::string>& source;
};

}  // namespace mq::ui
