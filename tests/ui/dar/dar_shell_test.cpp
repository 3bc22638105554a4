// The address range window inside the main window, wired as the program wires
// it: one instance, opened by the calculator at the top left of the work area,
// hidden (never destroyed) by Finish and by its title bar's close button.
#include "tests/ui/platform/window_test_support.h"
#include "ui/dar/dar.h"
#include "ui/frmMain/frm_main.h"
#include "ui/frmdoc/frmdoc.h"

#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace mq::test {
namespace {

using ui::Dar;
using ui::FrmMain;

class DarInMainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store = std::make_unique<ui::QtSettingsStore>(dir.filePath("settings.ini"));
        main = std::make_unique<FrmMain>(state, *store);
        main->setCalculatorServices(&calcFake);
        FrmMain* m = main.get();
        main->registerWindow("dar", [this] { return new Dar(darFake, writer); });
        main->setCalculatorHook([m](ui::Frmdoc& doc) {
            ui::connectAddressRange(doc, [m] { return qobject_cast<Dar*>(m->showWindow("dar")); });
        });
        darFake.onDoEvents = [] { QCoreApplication::processEvents(); };
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        main->proc3();
        calculator = main->calculator();
        ASSERT_NE(calculator, nullptr);
    }
    void TearDown() override
    {
        main.reset();
        QApplication::processEvents();
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(QLatin1Char(',')).toStdString();
    }
    void calculate(const std::array<std::string, 4>& octets, const std::string& mask)
    {
        FrmdocModel& m = calculator->model();
        for (int i = 0; i < 4; ++i)
            m.setText3(i, octets[static_cast<std::size_t>(i)]);
        auto& box = m.Combo1[1];
        for (std::size_t r = 0; r < box.list.size(); ++r)
            if (box.list[r] == mask)
                box.listIndex = static_cast<int>(r);
        m.Combo1_Click(1);
        calculator->refresh();
    }
    void displayWholeRange()
    {
        QTest::mouseClick(calculator->findChild<QPushButton*>(QStringLiteral("SSCommand5")), Qt::LeftButton);
    }
    Dar* dar() const { return qobject_cast<Dar*>(main->findWindow("dar")); }

    QTemporaryDir dir;
    CalculatorState state;
    WindowFakeServices calcFake;
    WindowFakeServices darFake;
    ui::QtSaveFileWriter writer;
    std::unique_ptr<ui::QtSettingsStore> store;
    std::unique_ptr<FrmMain> main;
    ui::Frmdoc* calculator = nullptr;
};

TEST_F(DarInMainWindow, OneInstanceAtTheTopLeftThatHidesAndComesBack)
{
    displayWholeRange();
    EXPECT_EQ(dar(), nullptr) << "no results yet: the window stays closed";

    calculate({"10", "1", "2", "3"}, "255.255.255.252");
    displayWholeRange();
    QPointer<Dar> first = dar();
    ASSERT_NE(first, nullptr);
    QMdiSubWindow* sub = main->subWindow("dar");
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isVisible());
    EXPECT_EQ(sub->pos(), QPoint(0, 0));
    EXPECT_GE(first->width(), first->sizeHint().width() - 2);
    EXPECT_EQ(main->mdiArea()->activeSubWindow(), sub);

    QTest::mouseClick(first->startButton(), Qt::LeftButton);
    ASSERT_EQ(first->report()->lineCount(), 19 + 4194303);
    QApplication::processEvents();
    const QImage shot = main->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (const QByteArray d = qgetenv("MQ_SCREENSHOT_DIR"); !d.isEmpty())
        shot.save(QDir(QString::fromLocal8Bit(d)).filePath("dar_in_main_window.png"));

    QTest::mouseClick(first->finishButton(), Qt::LeftButton);
    EXPECT_FALSE(sub->isVisible());
    sub->move(50, 50);
    displayWholeRange();
    EXPECT_EQ(dar(), first.data());
    EXPECT_TRUE(sub->isVisible());
    EXPECT_EQ(sub->pos(), QPoint(0, 0));
    EXPECT_EQ(first->report()->lineCount(), 19 + 4194303);

    // The title bar's close button hides the window too; the report survives.
    sub->close();
    QApplication::processEvents();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(sub->isVisible());
    displayWholeRange();
    EXPECT_EQ(dar(), first.data());
    EXPECT_EQ(first->report()->lineCount(), 19 + 4194303);
}

TEST_F(DarInMainWindow, ClosingTheCalculatorLeavesTheWindowSafe)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    displayWholeRange();
    Dar* d = dar();
    ASSERT_NE(d, nullptr);
    main->subWindow("frmdoc")->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main->calculator(), nullptr);
    EXPECT_EQ(d->model().calculator(), nullptr);
    QTest::mouseClick(d->startButton(), Qt::LeftButton);  // nothing to list from
    EXPECT_EQ(d->report()->lineCount(), 0);
    EXPECT_TRUE(darFake.messages.empty());
}

}  // namespace
}  // namespace mq::test
