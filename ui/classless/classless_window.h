// "Classless Calculator": any IPv4 or IPv6 prefix, typed into one box, with its
// results, a listing of its subnets at any longer prefix, and a summarizer.
// The logic lives in the Qt-free form models of classless/; this window makes
// the widgets, forwards the user's events and refreshes from the models.
#pragma once

#include "classless/form.h"
#include "classless/listing.h"
#include "classless/lists.h"
#include "reports/child_report.h"
#include "ui/classless/background_work.h"
#include "ui/classless/qt_csv_target.h"

#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollArea;
class QTextDocument;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QVBoxLayout;

namespace mq::ui {

class SubnetTable;
class LinesView;
class TextMirror;

// How long typing in a list must pause before the list is worked out again.
inline constexpr int kListPauseMs = 300;

inline constexpr const char* kClasslessWindowName = "classless";
inline constexpr const char* kClasslessHelpSection = "classless";

class ClasslessWindow : public QWidget, public ChildReport {
    Q_OBJECT
public:
    explicit ClasslessWindow(QWidget* parent = nullptr);
    ~ClasslessWindow() override;

    classless::ClasslessForm& form() { return formModel; }
    classless::SubnetListing& listing() { return listingModel; }
    classless::ListsForm& lists() { return listsModel; }
    SubnetTable* table() const { return listingTable; }
    QtCsvTarget& csvTarget() { return csv; }

    // Save and Print of the main window, for this window.
    void saveReport(Services& services, ReportOutput& output) override;
    void printReport(Services& services, ReportOutput& output) override;

    // The size it opens at, in the main window too: an IPv6 result beside the pages.
    QSize sizeHint() const override { return openingSize; }

    // Writes every widget from the models.
    void refresh();
    // The page on show: the listing or the lists.
    bool onListsPage() const;
    // Work on the lists still to come or under way (the last result is on show meanwhile).
    bool listsPending() const { return listsPause.isActive() || listsWork.busy(); }
    // A list as the worker is handed it (the text of box A or B).
    QString listText(char list) const;
    // Open A or B asks this instead of a file dialog (tests); an empty path cancels.
    void setOpenChooser(std::function<QString(char list)> c) { openChooser = std::move(c); }

signals:
    // A list's result has been put on show.
    void listsShown();
    // A file opened into A or B is in its box (or was refused).
    void listLoaded();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void describeControls();
    QWidget* buildResults();
    QWidget* buildListing();
    QWidget* buildLists();
    void inputEdited(const QString& text);
    void prefixChosen(int length);
    void split();
    void jump();
    void refreshListing();
    void refreshBadges();
    void listsEdited();
    void listsStart();
    void refreshLists();
    void operationChosen();
    void openList(char list);
    void listRead(char list, QTextDocument* doc, const QString& text, const std::string& error, const QString& path);
    void sizeForIPv6();

    classless::ClasslessForm formModel;
    classless::SubnetListing listingModel;
    classless::ListsForm listsModel;
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
    QTabWidget* tabs = nullptr;
    QLineEdit* splitLength = nullptr;
    QPushButton* splitButton = nullptr;
    QLineEdit* jumpTo = nullptr;
    QPushButton* jumpButton = nullptr;
    QLabel* listingCount = nullptr;
    QLabel* listingMessage = nullptr;
    SubnetTable* listingTable = nullptr;
    QComboBox* operation = nullptr;
    QLineEdit* block = nullptr;
    QPlainTextEdit* listA = nullptr;
    QPlainTextEdit* listB = nullptr;
    QPushButton* openA = nullptr;
    QPushButton* openB = nullptr;
    QLabel* listsMessage = nullptr;
    LinesView* listsOutput = nullptr;
    QLabel* listsCounts = nullptr;
    LinesView* listsErrors = nullptr;
    std::vector<std::string> listsErrorLines;
    QPushButton* listsCopy = nullptr;
    TextMirror* textA = nullptr;
    TextMirror* textB = nullptr;
    std::function<QString(char list)> openChooser;
    QThread* loader = nullptr;             // reads an opened file and lays out its document
    QTextDocument* loadingDoc = nullptr;
    BackgroundWork listsWork{this};
    QTimer listsPause;
};

// The coloured binary lines as rich text: network bits red, host bits olive.
QString bitsHtml(const std::vector<classless::BitLine>& lines);
QString bitsPlain(const std::vector<classless::BitLine>& lines);

}  // namespace mq::ui
