// Start-up: the splash loads the hidden main window and shows it on its
// second timer tick.
#include "tests/ui/platform/window_test_support.h"
#include "ui/frmSplash/frm_splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace mq::test {
namespace {

TEST(Splash, ShowsTheMainWindowOnTheSecondTick)
{
    auto mainWindow = std::make_unique<QWidget>();
    int made = 0;
    ui::FrmSplash splash([&] {
        ++made;
        return mainWindow.get();
    });
    splash.Form_Load();
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_FALSE(mainWindow->isVisible());
    EXPECT_EQ(splash.splashtick, 0);
    EXPECT_EQ(splash.timer()->interval(), 1500);
    EXPECT_TRUE(splash.timer()->isActive());

    splash.Timer1_Timer();
    EXPECT_EQ(splash.splashtick, 1);
    EXPECT_FALSE(mainWindow->isVisible());
    EXPECT_TRUE(splash.isVisible());

    splash.Timer1_Timer();
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.timer()->isActive());
    EXPECT_EQ(made, 1);
    mainWindow->close();
    EXPECT_TRUE(strayWindows().isEmpty());
}

TEST(Splash, IsCentredWithItsFixedTexts)
{
    ui::FrmSplash splash([] { return nullptr; });
    splash.Form_Load();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((splash.geometry().center() - screen.center()).manhattanLength(), 2);
    auto text = [&](const char* name) {
        auto* l = splash.findChild<QLabel*>(QString::fromLatin1(name));
        return l ? l->text() : QStringLiteral("<missing>");
    };
    EXPECT_EQ(text("lblProductName"), "Maskquill");
    EXPECT_EQ(text("lblPlatform"), "For Win95");
    EXPECT_EQ(text("lblVersion"), "Version 5.1");
    EXPECT_EQ(text("lblWarning"), "Warning");
    EXPECT_EQ(text("lblCompanyProduct"),
              "Supports Subnetting, MAC conversion. binary calculator and a reference for MAC vendor codes, "
              "TCP/UDP port numbers and IP Multicast addresses.");
    EXPECT_FALSE(text("Label1").isEmpty());
    EXPECT_NE(splash.findChild<QLabel*>("Image1")->pixmap().toImage().pixelColor(50, 60).alpha(), 0);
    splash.Timer1_Timer();
    splash.Timer1_Timer();  // no main window: the splash still goes
    EXPECT_FALSE(splash.isVisible());
}

}  // namespace
}  // namespace mq::test
