#include "ui/macconv/macconv.h"

#include "tests/support/fake_services.h"
#include "ui/platform/key_codes.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
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

const QColor kRed(255, 0, 0);

struct MacconvWindow : ::testing::Test {
    FakeServices fake;
    QPointer<Macconv> w = new Macconv(nullptr, &fake);

    void SetUp() override
    {
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    void TearDown() override
    {
        if (w)
            w->close();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(w.isNull());
        EXPECT_EQ(visibleTopLevels(), 0);
    }
    QColor captionColour(QPushButton* b) const { return b->palette().color(QPalette::Active, QPalette::ButtonText); }
};

TEST_F(MacconvWindow, OpensWithCanonicalChosenAndFocused)
{
    EXPECT_EQ(w->windowTitle(), "Mac Converter");
    EXPECT_EQ(QApplication::focusWidget(), w->canonicalButton());
    EXPECT_EQ(w->canonicalButton()->text(), "Canonical Address");
    EXPECT_EQ(w->nonCanonicalButton()->text(), "NonCanonical Address");
    EXPECT_EQ(captionColour(w->canonicalButton()), kRed);
    EXPECT_NE(captionColour(w->nonCanonicalButton()), kRed);
    EXPECT_EQ(w->findChild<QLabel*>("Label1")->text(), "Ethernet uses a Canonical MAC Address");
    EXPECT_EQ(w->findChild<QLabel*>("Label2")->text(), "Token Ring/FDDI use Non-Canonical addresses");
    EXPECT_EQ(w->upperBox()->accessibleName(), "Ethernet uses a Canonical MAC Address");
    EXPECT_EQ(w->convertButton()->text(), "Convert MAC");
    EXPECT_EQ(w->doneButton()->text(), "Done");
    EXPECT_EQ(w->backButton()->text(), "Back One");
    EXPECT_EQ(w->clearButton()->text(), "Clear");
    EXPECT_EQ(w->keypad(10)->text(), "a");
    EXPECT_EQ(w->keypad(10)->objectName(), "SSCommand3(10)");
}

TEST_F(MacconvWindow, TabOrderRunsFromTheDirectionsThroughTheKeypadToDone)
{
    QStringList names;
    QWidget* at = w->canonicalButton();
    for (int i = 0; i < 24; ++i) {
        names << at->objectName();
        at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus))
            at = at->nextInFocusChain();
    }
    QStringList expected{"SSCommand4", "Text1", "SSCommand5", "Text2"};
    for (int i = 0; i < 16; ++i)
        expected << QStringLiteral("SSCommand3(%1)").arg(i);
    expected << "SSCommand1"
             << "SSCommand7"
             << "SSCommand6"
             << "SSCommand2";
    EXPECT_EQ(names, expected);
}

TEST_F(MacconvWindow, TypingLowersLettersAndConvertsBothWays)
{
    QTest::mouseClick(w->upperBox(), Qt::LeftButton);
    QTest::keyClicks(w->upperBox(), "0123456789AB");
    EXPECT_EQ(w->upperBox()->text(), "0123456789ab");
    QTest::keyClicks(w->upperBox(), "c");  // the thirteenth is not taken
    EXPECT_EQ(w->upperBox()->text(), "0123456789ab");
    QTest::mouseClick(w->convertButton(), Qt::LeftButton);
    EXPECT_EQ(w->lowerBox()->text(), "80c4a2e691d5");
    EXPECT_TRUE(fake.messages.empty());

    QTest::mouseClick(w->lowerBox(), Qt::LeftButton);  // chooses the lower box
    EXPECT_EQ(w->upperBox()->text(), "");
    EXPECT_EQ(captionColour(w->nonCanonicalButton()), kRed);
    EXPECT_NE(captionColour(w->canonicalButton()), kRed);
    w->lowerBox()->clear();
    QTest::keyClicks(w->lowerBox(), "58D43CB27AF6");
    QTest::mouseClick(w->convertButton(), Qt::LeftButton);
    EXPECT_EQ(w->upperBox()->text(), "1a2b3c4d5e6f");
}

TEST_F(MacconvWindow, ANonHexKeyIsRefusedAndEmptiesTheBox)
{
    QTest::mouseClick(w->upperBox(), Qt::LeftButton);
    QTest::keyClicks(w->upperBox(), "12g");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Please enter a hexidecimal number");
    EXPECT_EQ(fake.messages[0].title, "Error");
    EXPECT_EQ(fake.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(w->upperBox()->text(), "");

    QTest::keyClicks(w->upperBox(), "ab");
    QTest::keyClick(w->upperBox(), Qt::Key_NumberSign, Qt::ShiftModifier, -1);  // Shift+3
    EXPECT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(w->upperBox()->text(), "");
}

TEST_F(MacconvWindow, KeypadBackOneClearAndShortInput)
{
    for (int i : {1, 2, 10, 11})
        QTest::mouseClick(w->keypad(i), Qt::LeftButton);
    EXPECT_EQ(w->upperBox()->text(), "12ab");
    w->lowerBox()->setText("stale");
    QTest::mouseClick(w->backButton(), Qt::LeftButton);
    EXPECT_EQ(w->upperBox()->text(), "12a");
    EXPECT_EQ(w->lowerBox()->text(), "");
    QTest::mouseClick(w->convertButton(), Qt::LeftButton);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Please type in 12 characters");
    QTest::mouseClick(w->nonCanonicalButton(), Qt::LeftButton);
    EXPECT_EQ(w->upperBox()->text(), "");
    QTest::mouseClick(w->keypad(15), Qt::LeftButton);
    EXPECT_EQ(w->lowerBox()->text(), "f");
    QTest::mouseClick(w->clearButton(), Qt::LeftButton);
    EXPECT_EQ(w->lowerBox()->text(), "");
    EXPECT_EQ(w->model().direction(), "n");
}

TEST_F(MacconvWindow, PastedSeparatorsGetAMessageAndNoResult)
{
    QApplication::clipboard()->setText("00:00:0c:11:22:33");
    w->upperBox()->setFocus();
    w->upperBox()->paste();
    QTest::mouseClick(w->convertButton(), Qt::LeftButton);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Please type in 12 characters");
    EXPECT_EQ(w->lowerBox()->text(), "");
    w->upperBox()->setText("00:00:0c:11:");
    QTest::mouseClick(w->convertButton(), Qt::LeftButton);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, "Please enter a hexidecimal number");
    EXPECT_EQ(w->lowerBox()->text(), "");
}

TEST_F(MacconvWindow, DoneHidesTheFrameAndKeepsTheState)
{
    QMdiArea area;
    QMdiSubWindow* frame = area.addSubWindow(w);
    area.show();
    frame->show();
    QTest::mouseClick(w->nonCanonicalButton(), Qt::LeftButton);
    QTest::mouseClick(w->keypad(3), Qt::LeftButton);
    QTest::mouseClick(w->doneButton(), Qt::LeftButton);
    EXPECT_FALSE(frame->isVisible());
    frame->show();
    EXPECT_EQ(w->lowerBox()->text(), "3");
    EXPECT_EQ(w->model().direction(), "n");
    frame->close();  // closing destroys the window
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    area.close();
}

TEST(MacconvKeyCodes, QtKeysAsWindowsCodes)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        int code;
        int shift;
    };
    const Case cases[] = {{Qt::Key_A, Qt::NoModifier, 65, 0},         {Qt::Key_F, Qt::ShiftModifier, 70, 1},
                          {Qt::Key_G, Qt::NoModifier, 71, 0},         {Qt::Key_5, Qt::NoModifier, 53, 0},
                          {Qt::Key_5, Qt::KeypadModifier, 101, 0},    {Qt::Key_Backspace, Qt::NoModifier, 8, 0},
                          {Qt::Key_Backtab, Qt::ShiftModifier, 9, 1}, {Qt::Key_Enter, Qt::KeypadModifier, 13, 0},
                          {Qt::Key_C, Qt::ControlModifier, 67, 2},    {Qt::Key_Left, Qt::NoModifier, 37, 0},
                          {Qt::Key_Delete, Qt::NoModifier, 46, 0},    {Qt::Key_F12, Qt::AltModifier, 123, 4},
                          {Qt::Key_NumLock, Qt::NoModifier, 144, 0},  {Qt::Key_Space, Qt::NoModifier, 32, 0},
                          {Qt::Key_Minus, Qt::NoModifier, 189, 0},    {Qt::Key_NumberSign, Qt::ShiftModifier, 0, 1}};
    for (const auto& c : cases) {
        const QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
        EXPECT_EQ(vbKeyCode(e), c.code) << c.key;
        EXPECT_EQ(vbShiftState(e), c.shift) << c.key;
    }
}

TEST_F(MacconvWindow, Screenshot)
{
    QTest::mouseClick(w->upperBox(), Qt::LeftButton);
    QTest::keyClicks(w->upperBox(), "0123456789ab");
    QTest::mouseClick(w->convertButton(), Qt::LeftButton);
    const QPixmap shot = w->grab();
    EXPECT_EQ(shot.size(), w->size());
    if (const char* dir = std::getenv("MQ_SCREENSHOT_DIR")) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(dir) + "/macconv.png"));
    }
}

}  // namespace
}  // namespace mq::ui
