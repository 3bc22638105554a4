// "Classless Calculator": any IPv4 or IPv6 prefix, typed into one box, with its
// results, a listing of its subnets at any longer prefix, and a summarizer.
// The logic lives in the Qt-free form models of classless/; this window makes
// the widgets, forwards the user's events and refreshes from the models.
#pragma once

#include "classless/form.h"
#include "classless/listing.h"
#include "classless/summary.h"
#include "reports/child_report.h"
#include "ui/classless/background_work.h"
#include "ui/classless/qt_csv_target.h"

#include <QTimer>
#include <QWidget>
#include <map>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollArea;
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

    classless::ClasslessForm& form() { return formModel; }
    classless::SubnetListing& listing() { return listingModel; }
    classless::SummaryArea& summary() { return summaryModel; }
    SubnetTable* table() const { return listingTable; }
    QtCsvTarget& csvTarget() { return csv; }

    // Save and Print of the main window, for this window.
    void saveReport(Services& services, ReportOutput& output) override;
    void printReport(Services& services, ReportOutput& output) override;

    // Writes every widget from the models.
    void refresh();
    // The page on show: the listing or the summary.
    bool onSummaryPage() const;
    // Work on the list still to come or under way (the last result is on show meanwhile).
    bool summaryPending() const { return summaryPause.isActive() || summaryWork.busy(); }
    // The list as the worker is handed it (the summary box's text).
    QString summaryListText() const;

signals:
    // A list's result has been put on show.
    void summaryShown();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void describeControls();
    QWidget* buildResults();
    QWidget* buildListing();
    QWidget* buildSummary();
    void inputEdited(const QString& text);
    void prefixChosen(int length);
    void split();
    void jump();
    void refreshListing();
    void refreshBadges();
    void summaryEdited();
    void summaryStart();
    void refreshSummary();
    void sizeForIPv6();

    classless::ClasslessForm formModel;
    classless::SubnetListing listingModel;
    classless::SummaryArea summaryModel;
    QtCsvTarget csv{this};
    bool refreshing = false;

    QLineEdit* input = nullptr;
    QLabel* error = nullptr;
    QLabel* notice = nullptr;
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
    QPlainTextEdit* summaryInput = nullptr;
    LinesView* summaryOutput = nullptr;
    QLabel* summaryCounts = nullptr;
    LinesView* summaryErrors = nullptr;
    std::vector<std::string> summaryErrorLines;
    QPushButton* summaryCopy = nullptr;
    TextMirror* summaryText = nullptr;
    BackgroundWork summaryWork{this};
    QTimer summaryPause;
};

// The coloured binary lines as rich text: network bits red, host bits olive.
QString bitsHtml(const std::vector<classless::BitLine>& lines);
QString bitsPlain(const std::vector<classless::BitLine>& lines);

}  // namespace mq::ui
