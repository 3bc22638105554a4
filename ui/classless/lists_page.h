// The "Lists" page of the Classless Calculator: lists A and B, typed, pasted or
// opened from files, and an operation on them (summarise, overlaps, ...) worked out
// off the interface thread; the last result stays on show while the next is under way.
#pragma once

// Qt first: moc cannot parse what the standard headers pull in before Qt has set them up.
#include <QTimer>
#include <QWidget>
#include <functional>

#include "classless/lists.h"
#include "ui/classless/background_work.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mq::ui {

class ListBox;
class LinesView;

// How long typing in a list must pause before the list is worked out again.
inline constexpr int kListPauseMs = 300;

class ListsPage : public QWidget {
    Q_OBJECT
public:
    explicit ListsPage(QWidget* parent = nullptr);
    ~ListsPage() override;

    classless::ListsForm& model() { return listsModel; }
    // Work on the lists still to come or under way (the last result is on show meanwhile).
    bool pending() const { return listsPause.isActive() || listsWork.busy(); }
    // A list as the worker is handed it (the text of box A or B).
    QString listText(char list) const;
    // Open A or B asks this instead of a file dialog (tests); an empty path cancels.
    void setOpenChooser(std::function<QString(char list)> c) { openChooser = std::move(c); }
    // Reads a file into A or B, as Open does (Open, or a file dropped on the box).
    void loadList(char list, const QString& path);
    // The controls in the order Tab visits them.
    QList<QWidget*> focusOrder() const;

signals:
    // A list's result has been put on show.
    void listsShown();
    // A file opened into A or B is in its box (or was refused).
    void listLoaded();

private:
    // The constructor's parts, called in the order the controls are created.
    void buildOperationBar(QGridLayout* grid);
    void buildListColumns(QGridLayout* grid);
    void buildResultRows(QGridLayout* grid);
    void describeControls();
    void listsEdited();
    void listsStart();
    void refreshLists();
    void operationChosen();
    void openList(char list);
    void listRead(char list, const QString& text, const std::string& error, const QString& path);
    void filling(char list, int percent);
    void filled();
    void showMessage(const QString& text, bool problem);
    void enableOpen();

    classless::ListsForm listsModel;
    QComboBox* operation = nullptr;
    QLineEdit* block = nullptr;
    ListBox* listA = nullptr;
    ListBox* listB = nullptr;
    QPushButton* openA = nullptr;
    QPushButton* openB = nullptr;
    QLabel* listsMessage = nullptr;
    LinesView* listsOutput = nullptr;
    QLabel* listsCounts = nullptr;
    LinesView* listsErrors = nullptr;
    std::vector<std::string> listsErrorLines;
    QPushButton* listsCopy = nullptr;
    std::function<QString(char list)> openChooser;
    QThread* loader = nullptr;  // reads an opened file
    char loading = 0;  // the list a file is read or filled into
    BackgroundWork listsWork{this};
    QTimer listsPause;
};

}  // namespace mq::ui
