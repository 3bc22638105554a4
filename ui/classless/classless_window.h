// "Classless Calculator": any IPv4 or IPv6 prefix, typed into one box, with its
// results, a listing of its subnets at any longer prefix, and a summarizer.
// The logic lives in the Qt-free form models of classless/; this window makes
// the widgets, forwards the user's events and refreshes from the models.
#pragma once

#include "classless/form.h"
#include "classless/listing.h"
#include "reports/child_report.h"
#include "ui/classless/lists_page.h"
#include "ui/classless/qt_csv_target.h"

#include <QWidget>
#include <functional>
#include <map>
#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QScrollArea;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QVBoxLayout;

namespace mq::ui {

class SubnetTable;

inline constexpr const char* kClasslessWindowName = "classless";
inline constexpr const char* kClasslessHelpSection = "classless";

class ClasslessWindow : public QWidget, public ChildReport {
    Q_OBJECT
public:
    explicit ClasslessWindow(QWidget* parent = nullptr);
    ~ClasslessWindow() override;

    classless::ClasslessForm& form() { return formModel; }
    classless::SubnetListing& listing() { return listingModel; }
    classless::ListsForm& lists() { return listsPage->model(); }
    SubnetTable* table() const { return listingTable; }
    QtCsvTarget& csvTarget() { return csv; }

    // Save and Print of the main window, for this window.
    void saveReport(Services& services, ReportOutput& output) override;
    void printReport(Services& services, ReportOutput& output) override;

    // The size it opens at, in the main window too: an IPv6 result beside the pages.
    QSize sizeHint() const override { return openingSize; }

    // Writes every widget from the models.
    void refresh();
    // What the window remembers for its next opening (classless_memory.cpp):
    // written when it closes, read back when it is made.
    void keepState() const;
    // The page on show: the listing or the lists.
    bool onListsPage() const;
    // Work on the lists still to come or under way (the last result is on show meanwhile).
    bool listsPending() const { return listsPage->pending(); }
    // A list as the worker is handed it (the text of box A or B).
    QString listText(char list) const { return listsPage->listText(list); }
    // Open A or B asks this instead of a file dialog (tests); an empty path cancels.
    void setOpenChooser(std::function<QString(char list)> c) { listsPage->setOpenChooser(std::move(c)); }

signals:
    // A list's result has been put on show.
    void listsShown();
    // A file opened into A or B is in its box (or was refused).
    void listLoaded();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    void describeControls();
    QWidget* buildResults();
    // Its rows, from `row` on; each returns the row after its last.
    int buildInputRows(QWidget* page, QGridLayout* grid, int row);
    int buildPrefixRows(QWidget* page, QGridLayout* grid, int row);
    int buildFieldRows(QWidget* page, QGridLayout* grid, int row);
    int buildBinaryRows(QWidget* page, QGridLayout* grid, int row);
    QWidget* buildListing();
    void inputEdited(const QString& text);
    void prefixChosen(int length);
    void split();
    // The listing follows the prefix of the results, at the length last listed.
    void followResults();
    void jump();
    void refreshListing();
    void refreshBadges();
    void sizeForIPv6();
    void recallState();

    classless::ClasslessForm formModel;
    classless::SubnetListing listingModel;
    QtCsvTarget csv{this};
    bool refreshing = false;

    QLineEdit* input = nullptr;
    QLabel* error = nullptr;
    QLabel* notice = nullptr;
    QList<QWidget*> resultsOnly;
    QSize openingSize;  // captions and lines shown only with results
    QScrollArea* resultsArea = nullptr;
    QSpinBox* prefixSpin = nullptr;
    QSlider* prefixSlider = nullptr;
    QComboBox* mask = nullptr;
    std::vector<std::pair<QLabel*, QLineEdit*>> fieldWidgets;  // by FieldId
    QVBoxLayout* badgeLayout = nullptr;
    QLabel* addressBinary = nullptr;
    QLabel* maskBinary = nullptr;
    QLabel* legend = nullptr;
    QTabWidget* tabs = nullptr;
    QLineEdit* splitLength = nullptr;
    QPushButton* splitButton = nullptr;
    QLineEdit* jumpTo = nullptr;
    QPushButton* jumpButton = nullptr;
    QLabel* listingCount = nullptr;
    QLabel* listingMessage = nullptr;
    SubnetTable* listingTable = nullptr;
    ListsPage* listsPage = nullptr;
    QList<QWidget*> tabOrder;  // Tab goes round these, the ones on show
    std::optional<int> listedLength;  // the length of the last listing shown
};

// The coloured binary lines as rich text: network bits red, host bits olive.
QString bitsHtml(const std::vector<classless::BitLine>& lines);
QString bitsPlain(const std::vector<classless::BitLine>& lines);

}  // namespace mq::ui
