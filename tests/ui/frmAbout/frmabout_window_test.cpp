#include "ui/frmAbout/frmabout.h"

#include "tests/support/fake_services.h"
#include "tests/ui/frmAbout/fake_system.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace mq::ui {
namespace {

void saveShot(QWidget* w, const char* name)
{
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        w->grab().save(QString::fromLocal8Bit(dir) + "/" + name);
}

void expectNoWindowLeft()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* w : QApplication::topLevelWidgets())
        ADD_FAILURE() << "top-level window left: " << w->objectName().toStdString() << " "
                      << w->metaObject()->className();
}

TEST(FrmAboutWindow, ShowsTitleVersionAndRunsSystemInfo)
{
    test::FakeServices services;
    test::FakeSystem sys;
    QPointer<FrmAbout> about = new FrmAbout(nullptr, &services, &sys);
    about->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));

    EXPECT_EQ(about->windowTitle(), "About Maskquill");
    EXPECT_EQ(about->findChild<QLabel*>("lblTitle")->text(), "Maskquill");
    EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "Version 5.1.0");
    EXPECT_FALSE(about->findChild<QLabel*>("SSPanel5")->text().isEmpty());
    EXPECT_FALSE(about->findChild<QLabel*>("SSPanel8")->text().isEmpty());
    EXPECT_FALSE(about->findChild<QLabel*>("picIcon")->pixmap().isNull());
    saveShot(about, "frmAbout.png");

    auto* sysInfo = about->findChild<QPushButton*>("cmdSysInfo");
    EXPECT_EQ(sysInfo->text(), "&System Info...");
    QTest::mouseClick(sysInfo, Qt::LeftButton);
    EXPECT_EQ(services.messages, (std::vector<test::Message>{
                                     {"System Information Is Unavailable At This Time", MsgIcon::None, "Maskquill"}}));

    sys.onPath["hardinfo"] = "/usr/bin/hardinfo";
    QTest::mouseClick(sysInfo, Qt::LeftButton);
    EXPECT_EQ(sys.started, std::vector<std::string>{"/usr/bin/hardinfo"});
    EXPECT_EQ(services.messages.size(), 1u);

    QTest::mouseClick(about->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull()) << "OK destroys the About window";
    expectNoWindowLeft();
}

TEST(FrmAboutWindow, OpensCentredOverItsOwnerAndAfreshAfterOk)
{
    test::FakeServices services;
    test::FakeSystem sys;
    QWidget owner;
    owner.setObjectName("owner");
    owner.setGeometry(100, 100, 900, 700);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));

    for (int round = 0; round < 2; ++round) {
        QPointer<FrmAbout> about = new FrmAbout(&owner, &services, &sys);
        about->setWindowFlag(Qt::Dialog);
        about->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
        EXPECT_TRUE(about->isWindow());
        EXPECT_FALSE(about->isModal());
        EXPECT_LE((about->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 4);
        EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "Version 5.1.0");
        // OK the first time, Escape the second: both destroy the window.
        if (round == 0)
            QTest::mouseClick(about->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        else
            QTest::keyClick(about, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(about.isNull()) << "round " << round;
    }
    owner.close();
}

TEST(FrmAboutWindow, NoWindowLeftAtTheEnd)
{
    expectNoWindowLeft();
}

}  // namespace
}  // namespace mq::ui
