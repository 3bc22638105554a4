// The Allocate panel's result lines, read from the form model on demand, so
// that a million lines cost no copy and no widget items; a line that says what
// was not placed is a warning.
#pragma once

#include "ui/platform/theme.h"

#include <QAbstractListModel>
#include <QApplication>
#include <functional>
#include <string>
#include <vector>

namespace mq::ui {

class ResultListModel : public QAbstractListModel {
public:
    ResultListModel(const std::vector<std::string>& lines, std::function<bool(std::size_t)> refuses,
                    QObject* parent = nullptr)
        : QAbstractListModel(parent), source(lines), refused(std::move(refuses))
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
        if (!index.isValid() || index.row() >= static_cast<int>(source.size()))
            return {};
        const auto row = static_cast<std::size_t>(index.row());
        if (role == Qt::ForegroundRole && refused(row))
            return accent(Accent::Warning, QApplication::palette(), QPalette::Base);
        return role == Qt::DisplayRole ? QVariant(QString::fromStdString(source[row])) : QVariant();
    }

private:
    const std::vector<std::string>& source;
    std::function<bool(std::size_t)> refused;
};

}  // namespace mq::ui
