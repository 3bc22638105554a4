// The address range window's wiring: opened by the calculator's real button,
// listing through the real START/CANCEL button, the report view, copying lines,
// saving through QSaveFile, hiding and reopening.
#include "reports/results_report.h"
#include "tests/ui/platform/window_test_support.h"
#include "ui/dar/dar.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/platform/geometry.h"

#include <QAccessible>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace mq::test {
namespace {

// Saves a picture of the window when MQ_SCREENSHOT_DIR names a folder.
void screenshot(QWidget* w, const char* name)
{
    const QImage shot = w->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        shot.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
}

using ui::Dar;
using ui::Frmdoc;

class DarWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.subnetZero = "n";
        state.keepResults = "n";
        calculator = std::make_unique<Frmdoc>(state, calcFake);
        dar = std::make_unique<Dar>(fake, writer);
        ui::connectAddressRange(*calculator, [this] { return dar.get(); });
        // The listing lets the real event loop turn.
        fake.onDoEvents = [] { QCoreApplication::processEvents(); };
        calculator->show();
    }
    void TearDown() override
    {
        dar.reset();
        calculator.reset();
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(QLatin1Char(',')).toStdString();
    }

    // The calculation as the calculator's model does it, then the window's display.
    void calculate(const std::array<std::string, 4>& octets, const std::string& mask)
    {
        FrmdocModel& m = calculator->model();
        for (int i = 0; i < 4; ++i)
            m.setText3(i, octets[static_cast<std::size_t>(i)]);
        auto& box = m.Combo1[1];
        box.listIndex = -1;
        for (std::size_t r = 0; r < box.list.size(); ++r)
            if (box.list[r] == mask)
                box.listIndex = static_cast<int>(r);
        ASSERT_GE(box.listIndex, 0) << mask;
        m.Combo1_Click(1);
        calculator->refresh();
    }
    void openFromCalculator()
    {
        auto* b = calculator->findChild<QPushButton*>(QStringLiteral("SSCommand5"));
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QString line(std::int64_t row) const { return dar->report()->lineText(row); }
    std::int64_t lines() const { return dar->report()->lineCount(); }

    CalculatorState state;
    WindowFakeServices calcFake;
    WindowFakeServices fake;
    ui::QtSaveFileWriter writer;
    std::unique_ptr<Frmdoc> calculator;
    std::unique_ptr<Dar> dar;
};

TEST_F(DarWindow, OpensFromTheCalculatorAndListsTheSubnets)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    openFromCalculator();
    ASSERT_TRUE(dar->isVisible());
    EXPECT_EQ(dar->windowTitle(), "Display Address Range");
    EXPECT_EQ(dar->pos(), QPoint(0, 0));
    EXPECT_EQ(dar->messagePanel()->text(), "Click START to display subnets 0 to  6");
    EXPECT_TRUE(dar->startButton()->isEnabled());
    EXPECT_FALSE(dar->saveButton()->isEnabled());
    EXPECT_EQ(dar->messagePanel()->y(), 0);
    EXPECT_EQ(dar->report()->y(), ui::twipsToPixels(3240));

    QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    ASSERT_EQ(lines(), 19 + 7);
    EXPECT_EQ(line(0), QString::fromStdString(reportBanner(1)));
    EXPECT_EQ(line(2), "TCP/IP Host Address chosen: 192.168.1.77");
    EXPECT_EQ(line(19), " 0\t192.168.1.0\t192.168.1.1\t192.168.1.30\t192.168.1.31");
    EXPECT_EQ(line(25), " 6\t192.168.1.192\t192.168.1.193\t192.168.1.222\t192.168.1.223");
    EXPECT_EQ(dar->messagePanel()->text(), "Calculating and formatting for subnet  5 of 6");
    EXPECT_EQ(dar->startButton()->text(), "START");
    EXPECT_TRUE(dar->saveButton()->isEnabled());
    // The report now fills the window, over the message line.
    EXPECT_EQ(dar->report()->y(), 0);
    EXPECT_EQ(dar->messagePanel()->y(), ui::twipsToPixels(3240));
    EXPECT_GT(dar->report()->height(), dar->height() / 2);
    dar->report()->verticalScrollBar()->setValue(0);
    screenshot(dar.get(), "dar_class_c.png");

    auto font = [this](int row) { return dar->report()->lineFont(row); };
    EXPECT_TRUE(font(0).bold());
    EXPECT_FALSE(font(0).italic());
    EXPECT_TRUE(font(4).bold());
    EXPECT_TRUE(font(4).italic());
    EXPECT_TRUE(font(17).bold());
    EXPECT_FALSE(font(19).bold());
    EXPECT_DOUBLE_EQ(font(19).pointSizeF(), 9.0);
}

// A screen reader reads the message and the report lines on screen.
TEST_F(DarWindow, MessageAndReportAreReadAsText)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    openFromCalculator();
    auto textOf = [](QWidget* w) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        return iface && iface->textInterface() ? iface->textInterface()->text(0, -1) : QStringLiteral("<none>");
    };
    EXPECT_EQ(textOf(dar->messagePanel()), "Click START to display subnets 0 to  6");
    QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    const QStringList shown = textOf(dar->report()).split(QLatin1Char('\n'));
    EXPECT_TRUE(shown.contains(" 6\t192.168.1.192\t192.168.1.193\t192.168.1.222\t192.168.1.223"))
        << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(dar->report())->text(QAccessible::Name), "Address range report");
}

TEST_F(DarWindow, CancelWithTheSameButtonKeepsTheLinesWritten)
{
    calculate({"10", "1", "2", "3"}, "255.255.255.252");
    openFromCalculator();
    dar->model().rowsPerTurn = 1000;
    QStringList captions;
    QTimer::singleShot(0, dar.get(), [&] {
        captions << dar->startButton()->text();
        QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    });
    QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    EXPECT_EQ(captions, QStringList{"CANCEL"});
    EXPECT_GE(lines(), 19 + 1000);
    EXPECT_LT(lines(), 19 + 4194303);
    EXPECT_EQ((lines() - 19) % 1000, 0);
    EXPECT_EQ(dar->startButton()->text(), "START");
    EXPECT_TRUE(dar->saveButton()->isEnabled());
    EXPECT_FALSE(dar->model().isRunning());
}

TEST_F(DarWindow, SelectedLinesAreCopiedAsText)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    openFromCalculator();
    QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    auto* view = dar->report();
    view->verticalScrollBar()->setValue(0);
    // Click on the headings line, shift-click two lines further down.
    auto centreOf = [view](std::int64_t line) {
        return QPoint(40, int(line - view->firstVisibleLine()) * view->lineHeight() + view->lineHeight() / 2);
    };
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centreOf(17));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, centreOf(20));
    EXPECT_EQ(view->selectionStart(), 17);
    EXPECT_EQ(view->selectionEnd(), 20);
    QApplication::clipboard()->clear();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              "Subnet\tSubnet Address\tStart Address\tEnd Address\tBroadcast Address\n"
              "\n"
              " 0\t192.168.1.0\t192.168.1.1\t192.168.1.30\t192.168.1.31\n"
              " 1\t192.168.1.32\t192.168.1.33\t192.168.1.62\t192.168.1.63\n");

    // Keyboard: Shift+Down grows the stretch, Ctrl+A takes everything.
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view->selectionEnd(), 21);
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view->selectionStart(), 0);
    EXPECT_EQ(view->selectionEnd(), 25);
    EXPECT_EQ(view->selectedText().toStdString(), dar->model().RichTextBox1.text());
    // A new START drops the selection with the old lines.
    QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    EXPECT_FALSE(view->hasSelection());
}

TEST_F(DarWindow, SaveWritesTheFileAndHidesOrReportsAFailure)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    openFromCalculator();
    QTest::mouseClick(dar->startButton(), Qt::LeftButton);

    const QString bad = dir.filePath("missing/folder/ranges.rtf");
    fake.saveAnswers.push_back(bad.toStdString());
    QTest::mouseClick(dar->saveButton(), Qt::LeftButton);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(dar->isVisible());
    EXPECT_FALSE(QFile::exists(bad));

    const QString good = dir.filePath("ranges.rtf");
    fake.saveAnswers.push_back(good.toStdString());
    QTest::mouseClick(dar->saveButton(), Qt::LeftButton);
    EXPECT_EQ(fake.saveFilters.back(), "Rich Text Files (*.rtf)|*.rtf|");
    EXPECT_FALSE(dar->isVisible());
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("{\\rtf1"));
    EXPECT_TRUE(bytes.contains(" 6\\tab 192.168.1.192\\tab 192.168.1.193\\tab 192.168.1.222\\tab 192.168.1.223\\par"));
    EXPECT_EQ(fake.messages.size(), 1u);
}

TEST(QtSaveFileWriter, AFailedWriteLeavesTheOldFile)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("old.rtf").toStdString();
    ui::QtSaveFileWriter writer;
    std::string error;
    ASSERT_TRUE(writer.write(
        path, [](ByteSink& s) { return s.write("old content"); }, error))
        << error;
    EXPECT_FALSE(writer.write(
        path,
        [](ByteSink& s) {
            s.write("new, but the rest never came");
            return false;
        },
        error));
    EXPECT_FALSE(error.empty());
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "old content");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.rtf"});
}

TEST_F(DarWindow, FinishOrCloseHidesAndReopeningKeepsTheReport)
{
    calculate({"172", "16", "37", "200"}, "255.255.255.192");
    openFromCalculator();
    QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    ASSERT_EQ(lines(), 19 + 1023);

    QTest::mouseClick(dar->finishButton(), Qt::LeftButton);
    EXPECT_FALSE(dar->isVisible());
    openFromCalculator();
    EXPECT_TRUE(dar->isVisible());
    EXPECT_FALSE(dar->saveButton()->isEnabled());
    EXPECT_EQ(lines(), 19 + 1023);
    EXPECT_EQ(dar->report()->y(), ui::twipsToPixels(3240));
    screenshot(dar.get(), "dar_reopened.png");

    EXPECT_FALSE(dar->close());  // the title bar's close hides too
    EXPECT_FALSE(dar->isVisible());
    EXPECT_EQ(lines(), 19 + 1023);
}

TEST_F(DarWindow, ClosingTheCalculatorDuringARunEndsItSafely)
{
    calculate({"10", "1", "2", "3"}, "255.255.255.252");
    openFromCalculator();
    dar->model().rowsPerTurn = 1000;
    fake.onDoEvents = [this] {
        if (fake.events == 2)
            calculator.reset();
        QCoreApplication::processEvents();
    };
    QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    EXPECT_EQ(calculator, nullptr);
    EXPECT_EQ(lines(), 19 + 2000);
    EXPECT_EQ(dar->startButton()->text(), "START");
    EXPECT_EQ(dar->model().calculator(), nullptr);
    // START with no calculator does nothing.
    QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    EXPECT_EQ(lines(), 19 + 2000);
}

TEST_F(DarWindow, AFullClassAListingScrollsToItsLastLine)
{
    calculate({"10", "1", "2", "3"}, "255.255.255.252");
    openFromCalculator();
    QTest::mouseClick(dar->startButton(), Qt::LeftButton);
    ASSERT_EQ(lines(), 19 + 4194303);
    QApplication::processEvents();
    auto* view = dar->report();
    EXPECT_EQ(line(lines() - 1), " 4194302\t10.255.255.248\t10.255.255.249\t10.255.255.250\t10.255.255.251");
    EXPECT_TRUE(view->isLineVisible(lines() - 1));
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_GT(view->visibleLines(), 20);

    screenshot(dar.get(), "dar_class_a_end.png");

    // Any line is reached at once, by the scroll bar or the keyboard.
    view->scrollToLine(2'000'000);
    EXPECT_TRUE(view->isLineVisible(2'000'000));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view->firstVisibleLine(), 0);
    EXPECT_EQ(view->selectionStart(), 0);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(view->isLineVisible(lines() - 1));
    EXPECT_EQ(view->selectionEnd(), lines() - 1);
    view->clearSelection();
    view->scrollToEnd();
}

}  // namespace
}  // namespace mq::test
