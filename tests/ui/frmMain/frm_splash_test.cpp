// Start-up: the splash loads the hidden main window and shows it on its
// second timer tick.
#include "tests/ui/platform/window_test_support.h"
#include "ui/frmAbout/frmabout_model.h"
#include "ui/frmSplash/frm_splash.h"

#include <QDir>
#include <QFile>
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

// The splash names the writer and the terms as the About box and the package's
// copyright file do, and every label shows its whole text.
TEST(Splash, TellsTheSameTermsAsTheAboutBoxAndThePackage)
{
    ui::FrmSplash splash([] { return nullptr; });
    splash.Form_Load();
    EXPECT_EQ(splash.findChild<QLabel*>("lblCopyright")->text(), kWriterLine);
    EXPECT_EQ(splash.findChild<QLabel*>("lblCompany")->text(), kDistributionNotice);
    QFile copyright(QStringLiteral(MQ_COPYRIGHT_FILE));
    ASSERT_TRUE(copyright.open(QIODevice::ReadOnly));
    const QString packaged = QString::fromUtf8(copyright.readAll()).simplified();
    EXPECT_TRUE(packaged.contains(QString::fromUtf8(kDistributionNotice))) << packaged.toStdString();
    EXPECT_TRUE(packaged.contains(QString::fromUtf8(kWriterLine))) << packaged.toStdString();
    for (QLabel* label : splash.findChildren<QLabel*>()) {
        EXPECT_FALSE(label->text().contains("rights reserved", Qt::CaseInsensitive));
        if (label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << label->objectName().toStdString();
        } else if (label->pixmap().isNull()) {
            EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
        }
        EXPECT_TRUE(splash.rect().contains(label->geometry().translated(label->parentWidget()->pos())))
            << label->objectName().toStdString();
    }
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        splash.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath("frmSplash.png"));
    splash.Timer1_Timer();
    splash.Timer1_Timer();
}

}  // namespace
}  // namespace mq::test
