#include "ui/bindec/bindec.h"

#include "tests/support/fake_services.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace mq::ui {
namespace {

using test::FakeServices;

int visibleTopLevels()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            ++n;
    return n;
}

struct BindecWindow : ::testing::Test {
    FakeServices fake;
    QPointer<Bindec> w = new Bindec(nullptr, &fake);

    void SetUp() override
    {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    void TearDown() override
    {
        if (w)
            w->close();  // deletes itself
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(w.isNull());
        EXPECT_EQ(visibleTopLevels(), 0);
    }
    QString results() const { return w->result(0)->text() + "|" + w->result(1)->text() + "|" + w->result(2)->text(); }
};

TEST_F(BindecWindow, ControlsCarryTheirNamesAndCaptions)
{
    EXPECT_EQ(w->windowTitle(), "Binary/Decimal/Hex");
    EXPECT_EQ(w->findChild<QGroupBox*>("SSFrame1")->title(), "Mode");
    const char* modes[3] = {"Binary", "Decimal", "Hex"};
    for (int i = 0; i < 3; ++i) {
        auto* o = w->findChild<QRadioButton*>(QStringLiteral("SSOption1(%1)").arg(i));
        ASSERT_TRUE(o);
        EXPECT_EQ(o->text(), modes[i]);
        EXPECT_EQ(w->result(i)->objectName(), QStringLiteral("Text1(%1)").arg(i));
        EXPECT_EQ(w->result(i)->accessibleName(), modes[i]);
    }
    const QString captions = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        auto* b = w->findChild<QPushButton*>(QStringLiteral("SSCommand2(%1)").arg(i));
        ASSERT_TRUE(b) << i;
        EXPECT_EQ(b->text(), captions.mid(i, 1));
        EXPECT_EQ(b->isEnabled(), i < 2) << i;
    }
    EXPECT_EQ(w->enterButton()->text(), "Enter");
    EXPECT_EQ(w->clearButton()->text(), "Clear Input");
    EXPECT_TRUE(w->modeOption(0)->isChecked());
}

TEST_F(BindecWindow, TypedBinaryConvertsAtEnter)
{
    QTest::keyClicks(w->input(), "1201a0");
    EXPECT_EQ(w->input()->text(), "1010");
    QTest::mouseClick(w->enterButton(), Qt::LeftButton);
    EXPECT_EQ(results(), "1010|10|A");
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(BindecWindow, ModesKeypadAndReturnKey)
{
    QTest::mouseClick(w->modeOption(2), Qt::LeftButton);
    EXPECT_TRUE(w->keypad(15)->isEnabled());
    QTest::keyClicks(w->input(), "fA");
    QTest::mouseClick(w->keypad(15), Qt::LeftButton);
    EXPECT_EQ(w->input()->text(), "fF");
    QTest::keyClick(w->input(), Qt::Key_Return);
    EXPECT_EQ(results(), "11111111|255|fF");

    QTest::mouseClick(w->modeOption(1), Qt::LeftButton);
    EXPECT_EQ(w->input()->text(), "");
    EXPECT_FALSE(w->keypad(10)->isEnabled());
    EXPECT_TRUE(w->keypad(9)->isEnabled());
    QTest::keyClicks(w->input(), "21474836489");  // the eleventh digit is not taken
    EXPECT_EQ(w->input()->text(), "2147483648");
    QTest::mouseClick(w->enterButton(), Qt::LeftButton);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Number too large, please re-enter a number less than 2147483647");
    EXPECT_EQ(fake.messages[0].title, "Error");
    EXPECT_EQ(results(), "||");

    QTest::mouseClick(w->clearButton(), Qt::LeftButton);
    EXPECT_EQ(w->input()->text(), "");
    QTest::mouseClick(w->enterButton(), Qt::LeftButton);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, "Please enter a number");
}

// The mode options answer an accessibility tool's Toggle action, which emits no click.
TEST_F(BindecWindow, ModeOptionsAnswerTheToggleAction)
{
    auto toggle = [](QWidget* option) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(option);
        ASSERT_NE(iface, nullptr);
        iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    QTest::keyClicks(w->input(), "101");
    toggle(w->modeOption(2));
    EXPECT_TRUE(w->keypad(15)->isEnabled());
    EXPECT_EQ(w->input()->text(), "");
    toggle(w->modeOption(1));
    EXPECT_FALSE(w->keypad(10)->isEnabled());
}

TEST_F(BindecWindow, PastedTextIsJudgedAtEnter)
{
    QTest::mouseClick(w->modeOption(1), Qt::LeftButton);
    QApplication::clipboard()->setText("12ab");
    w->input()->setFocus();
    w->input()->paste();
    EXPECT_EQ(w->input()->text(), "12ab");
    QTest::mouseClick(w->enterButton(), Qt::LeftButton);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Please enter a decimal number: the digits 0 to 9 only");
    EXPECT_EQ(results(), "||");
}

TEST_F(BindecWindow, ClosingDestroysSoTheNextWindowStartsAfresh)
{
    QTest::mouseClick(w->modeOption(2), Qt::LeftButton);
    QTest::keyClicks(w->input(), "ab");
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    w = new Bindec(nullptr, &fake);
    w->show();
    EXPECT_EQ(w->model().mode(), "bin");
    EXPECT_EQ(w->input()->text(), "");
    EXPECT_TRUE(w->modeOption(0)->isChecked());
}

TEST_F(BindecWindow, Screenshot)
{
    QTest::keyClicks(w->input(), "1010");
    QTest::mouseClick(w->enterButton(), Qt::LeftButton);
    const QPixmap shot = w->grab();
    EXPECT_EQ(shot.size(), w->size());
    if (const char* dir = std::getenv("MQ_SCREENSHOT_DIR")) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(dir) + "/bindec.png"));
    }
}

}  // namespace
}  // namespace mq::ui
