// Tool windows keep their own size; one that does not fit the main window's
// work area when first shown makes the main window grow, within the screen.
#include "tests/ui/platform/window_test_support.h"
#include "ui/Form10/form10.h"
#include "ui/dar/dar.h"
#include "ui/frmMain/frm_main.h"
#include "ui/macconv/macconv.h"
#include "ui/platform/geometry.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace mq::test {
namespace {

class FittingChildren : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = std::make_unique<ui::QtSettingsStore>(dir.filePath("settings.ini"));
        main = std::make_unique<ui::FrmMain>(state, *store);
        main->setCalculatorServices(&fake);
        main->registerTool(5, "macconv", [this] { return new ui::Macconv(nullptr, &fake); });
        main->registerTool(7, "Form10", [this] { return new ui::Form10(nullptr, &fake); });
        main->registerWindow("dar", [] { return new ui::Dar; });
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        main->Toolbar1_ButtonClick(3);
        startFrame = main->frameGeometry();
    }
    void TearDown() override
    {
        main.reset();
        QApplication::processEvents();
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(QLatin1Char(',')).toStdString();
    }
    QRect work() const { return main->screen()->availableGeometry(); }

    QTemporaryDir dir;
    std::unique_ptr<ui::QtSettingsStore> store;
    CalculatorState state;
    WindowFakeServices fake;
    std::unique_ptr<ui::FrmMain> main;
    QRect startFrame;
};

struct Tool {
    const char* name;
    std::vector<const char*> buttons;  // Continue, START, Save, Finish, Done ...
};

class EveryButtonShows : public FittingChildren, public ::testing::WithParamInterface<Tool> {};

TEST_P(EveryButtonShows, WithoutScrollingAndAtTheToolsOwnSize)
{
    const QString name = QString::fromLatin1(GetParam().name);
    QWidget* tool = main->showWindow(name);
    ASSERT_NE(tool, nullptr);
    const QSize own = tool->size();
    QApplication::processEvents();
    EXPECT_EQ(tool->size(), own);
    EXPECT_TRUE(work().contains(main->frameGeometry()));
    EXPECT_GE(main->width(), startFrame.width() - 4);
    QWidget* viewport = main->mdiArea()->viewport();
    for (const char* b : GetParam().buttons) {
        auto* button = tool->findChild<QPushButton*>(QString::fromLatin1(b));
        ASSERT_NE(button, nullptr) << b;
        const QRect shown(button->mapTo(viewport, QPoint(0, 0)), button->size());
        EXPECT_TRUE(viewport->rect().contains(shown)) << b << " at " << shown.y() << "+" << shown.height()
                                                      << " in " << viewport->height();
    }
    if (const QByteArray out = qgetenv("MQ_SCREENSHOT_DIR"); !out.isEmpty())
        main->grab().save(QDir(QString::fromLocal8Bit(out)).filePath("frmMain_with_" + name + ".png"));
}

INSTANTIATE_TEST_SUITE_P(Tools, EveryButtonShows,
                         ::testing::Values(Tool{"Form10", {"SSCommand1", "SSCommand3", "SSCommand2"}},
                                           Tool{"macconv", {"SSCommand1", "SSCommand7", "SSCommand6", "SSCommand2"}},
                                           Tool{"dar", {"SSCommand1", "SSCommand2", "SSCommand3"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FittingChildren, TheMainWindowGrowsNoFurtherThanTheScreenAndOnlyForWhatDoesNotFit)
{
    main->registerTool(6, "clist", [] {
        auto* w = new QWidget;
        w->setFixedSize(120, 80);
        return w;
    });
    main->showWindow("clist");
    EXPECT_EQ(main->frameGeometry(), startFrame);

    main->registerWindow("huge", [] {
        auto* w = new QWidget;
        w->setFixedSize(3000, 2000);
        return w;
    });
    main->showWindow("huge");
    EXPECT_EQ(main->frameGeometry(), work());
    EXPECT_EQ(main->subWindow("huge")->pos(), QPoint(0, 0));
    EXPECT_EQ(main->findWindow("huge")->size(), QSize(3000, 2000));
}

}  // namespace
}  // namespace mq::test
