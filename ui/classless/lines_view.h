// A read-only list of text lines of any length (a summary, refused lines) that
// stays quick with a million lines: a list view over the lines as they are held,
// rows of one height, nothing copied into a text document.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <string>
#include <vector>

namespace mq::ui {

class LinesModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    // The lines must live until the next call.
    void setLines(const std::vector<std::string>* lines);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const std::vector<std::string>* lines_ = nullptr;
};

class LinesView : public QListView {
public:
    LinesView(const char* name, const char* accessibleName, QWidget* parent);
    void setLines(const std::vector<std::string>* lines);
    int lineCount() const { return model_.rowCount(); }
    QString line(int row) const;
    // Every line, or the selected ones, joined by newlines (Ctrl+C, the Copy button).
    QString text(bool selectedOnly = false) const;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    LinesModel model_;
};

}  // namespace mq::ui
