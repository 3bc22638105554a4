// The calculator window's wiring: typing into the real fields, choosing in the
// real lists, pressing the real buttons and reading the real panels.
#include "tests/ui/platform/window_test_support.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/platform/geometry.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace mq::test {
namespace {

using ui::Frmdoc;

class FrmdocWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.subnetZero = "n";
        state.keepResults = "n";
        window = std::make_unique<Frmdoc>(state, fake);
        fake.setWindow(window.get());
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->octetField(0)->setFocus();
    }
    void TearDown() override
    {
        window.reset();
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(QLatin1Char(',')).toStdString();
    }

    // Types the address as a user does, "." moving on to the next field.
    void typeAddress(const QString& address)
    {
        window->octetField(0)->setFocus();
        typeText(window.get(), address);
    }
    void enter(const QString& address, const QString& mask)
    {
        typeAddress(address);
        ASSERT_TRUE(chooseRow(window->choiceBox(1), mask)) << mask.toStdString();
    }
    QString panel(int i) const { return window->resultPanel(i)->text(); }
    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(QString::fromLatin1(name)); }
    QStringList octets() const
    {
        QStringList out;
        for (int i = 0; i < 4; ++i)
            out << window->octetField(i)->text();
        return out;
    }
    QStringList choices() const
    {
        QStringList out;
        for (int i = 0; i < 4; ++i)
            out << window->choiceBox(i)->currentText();
        return out;
    }
    QString gridCell(int row, int col) const
    {
        // Grid row 0 is the heading; rows 1.. are the table's rows 0..
        if (row == 0)
            return window->grid()->horizontalHeaderItem(col)->text();
        auto* item = window->grid()->item(row - 1, col);
        return item ? item->text() : QString();
    }
    QPoint cellCentre(int row, int col) const
    {
        auto* g = window->grid();
        return g->visualRect(g->model()->index(row - 1, col)).center();
    }

    CalculatorState state;
    WindowFakeServices fake;
    std::unique_ptr<Frmdoc> window;
};

TEST_F(FrmdocWindow, TypingAnAddressAndChoosingAMaskFillsThePanels)
{
    typeAddress("192.168.10.77");
    EXPECT_EQ(octets(), QStringList({"192", "168", "10", "77"}));
    EXPECT_EQ(fake.focusMoves, std::vector<std::string>(3, "{TAB}"));
    EXPECT_EQ(fake.beeps, 3);  // each "." beeps as it moves on
    EXPECT_EQ(window->focusWidget(), window->octetField(3));
    EXPECT_EQ(window->classBox()->text(), "C");
    EXPECT_EQ(window->classBox()->palette().color(QPalette::Text), QColor(128, 128, 0));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(window->choiceBox(i)->isEnabled());
    EXPECT_TRUE(window->subnetZeroBox()->isEnabled());
    const std::vector<TextRun> before = {{"11000000  10101000  00001010  ", colour::Red}, {"01001101", colour::Olive}};
    EXPECT_EQ(window->addressBinary()->runs(), before);
    EXPECT_EQ(window->addressBinary()->toPlainText(), "11000000  10101000  00001010  01001101");

    ASSERT_TRUE(chooseRow(window->choiceBox(1), "255.255.255.224"));
    EXPECT_EQ(choices(), QStringList({"3", "255.255.255.224", "6", "30"}));
    EXPECT_EQ(panel(3), "192.168.10.0");
    EXPECT_EQ(panel(4), "192.168.10.64");
    EXPECT_EQ(panel(5), "192.168.10.77");
    EXPECT_EQ(panel(6), "74");
    EXPECT_EQ(panel(0), "192.168.10.65");
    EXPECT_EQ(panel(1), "192.168.10.94");
    EXPECT_EQ(panel(2), "192.168.10.95");
    EXPECT_EQ(window->statusPanel()->text(), "Host address is a valid address");
    EXPECT_EQ(window->statusPanel()->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(window->subnetNumberBox()->text(), "2");
    EXPECT_EQ(window->maskBinary()->toPlainText(), "11111111  11111111  11111111  11100000");
    ASSERT_EQ(window->maskBinary()->runs().size(), 3u);
    EXPECT_EQ(window->maskBinary()->runs()[1], (TextRun{"111", colour::Blue}));
    EXPECT_TRUE(fake.messages.empty());

    // A later change of an octet empties the results again.
    window->octetField(3)->setFocus();
    QTest::keyClick(window->octetField(3), Qt::Key_Backspace);
    EXPECT_EQ(window->octetField(3)->text(), "7");
    EXPECT_EQ(panel(4), "");
    EXPECT_EQ(window->statusPanel()->text(), "");
    EXPECT_EQ(window->choiceBox(1)->currentIndex(), -1);
    EXPECT_EQ(window->maskBinary()->toPlainText(), "");
}

TEST_F(FrmdocWindow, OpensEmptyWithNothingToChoose)
{
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window->octetField(i)->text(), "");
        EXPECT_FALSE(window->choiceBox(i)->isEnabled());
        EXPECT_EQ(window->choiceBox(i)->count(), 0);
    }
    EXPECT_FALSE(window->subnetZeroBox()->isEnabled());
    EXPECT_FALSE(window->subnetZeroBox()->isChecked());
    EXPECT_EQ(window->grid()->horizontalHeaderItem(0)->text(), "Subnet ");
    EXPECT_EQ(window->grid()->item(0, 0), nullptr);
    EXPECT_EQ(window->statusPanel()->text(), "");
    typeAddress("192.168.1");
    EXPECT_FALSE(window->choiceBox(0)->isEnabled());
    EXPECT_EQ(window->choiceBox(0)->count(), 6);  // listed, not yet to be chosen
    EXPECT_EQ(window->addressBinary()->toPlainText(), "");
}

TEST_F(FrmdocWindow, LettersAreDroppedWithABeepAndNeverShow)
{
    typeAddress("1a9x2");
    EXPECT_EQ(window->octetField(0)->text(), "192");
    EXPECT_EQ(fake.beeps, 2);
    EXPECT_TRUE(fake.focusMoves.empty());
    typeText(window.get(), "7");  // the field holds at most three digits
    EXPECT_EQ(window->octetField(0)->text(), "192");
}

TEST_F(FrmdocWindow, EditingKeysPassWithoutABeep)
{
    typeAddress("192");
    QLineEdit* field = window->octetField(0);
    QTest::keyClick(field, Qt::Key_Home);
    // As the X11 keyboard sends it, with the DEL character as its text.
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_Delete, QString(QChar(127)), Qt::NoModifier);
    EXPECT_EQ(field->text(), "92");
    EXPECT_EQ(window->classBox()->text(), "A");
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "9");
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);  // select all, as in any text field
    QTest::keyClick(field, Qt::Key_2);
    EXPECT_EQ(field->text(), "2");
    EXPECT_EQ(fake.beeps, 0);
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Space);
    EXPECT_EQ(fake.beeps, 2);
    EXPECT_EQ(field->text(), "2");
}

TEST_F(FrmdocWindow, MessageBoxesSeeTheWindowAsItStands)
{
    // The refresh before a dialog: while "Invalid entry" is up, the field shows the
    // rejected value and the binary display is already empty.
    QString fieldAtMessage, binaryAtMessage;
    fake.onMessage = [&](const std::string&) {
        fieldAtMessage = window->octetField(2)->text();
        binaryAtMessage = window->addressBinary()->toPlainText();
    };
    typeAddress("10.1.30.4");
    window->octetField(2)->setFocus();
    window->octetField(2)->end(false);
    typeText(window.get(), "0");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0], (Message{"Invalid entry", MsgIcon::None, "Maskquill"}));
    EXPECT_EQ(fieldAtMessage, "300");
    EXPECT_EQ(binaryAtMessage, "");
    EXPECT_EQ(window->focusWidget(), window->octetField(2));
    EXPECT_FALSE(window->choiceBox(0)->isEnabled());
}

struct RefusedKey {
    const char* name;
    int key;
    Qt::KeyboardModifiers mods;
};

class ChoiceBoxKeys : public FrmdocWindow, public ::testing::WithParamInterface<RefusedKey> { };

TEST_P(ChoiceBoxKeys, AnyKeyIsRefusedAndEmptiesTheChoice)
{
    enter("192.168.1.77", "255.255.255.224");
    QComboBox* box = window->choiceBox(2);
    box->setFocus();
    QTest::keyClick(box, static_cast<Qt::Key>(GetParam().key), GetParam().mods);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0],
              (Message{"Input not allowed, please choose optons from the drop menu", MsgIcon::Exclamation, "Error"}));
    EXPECT_EQ(choices(), QStringList({"", "", "", ""}));
    EXPECT_EQ(window->choiceBox(0)->count(), 6);  // the lists stay
    EXPECT_EQ(panel(0), "");
    EXPECT_EQ(window->statusPanel()->text(), "");
}

INSTANTIATE_TEST_SUITE_P(Keys, ChoiceBoxKeys,
                         ::testing::Values(RefusedKey{"Letter", Qt::Key_A, Qt::NoModifier},
                                           RefusedKey{"Digit", Qt::Key_5, Qt::NoModifier},
                                           RefusedKey{"ArrowDown", Qt::Key_Down, Qt::NoModifier},
                                           RefusedKey{"ArrowUp", Qt::Key_Up, Qt::NoModifier},
                                           RefusedKey{"Delete", Qt::Key_Delete, Qt::NoModifier},
                                           RefusedKey{"Home", Qt::Key_Home, Qt::NoModifier}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrmdocWindow, FocusKeysInAChoiceBoxAreNotInput)
{
    enter("192.168.1.77", "255.255.255.224");
    QComboBox* box = window->choiceBox(1);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Shift);
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_EQ(choices(), QStringList({"3", "255.255.255.224", "6", "30"}));
    EXPECT_EQ(window->focusWidget(), window->choiceBox(2));
}

TEST_F(FrmdocWindow, SubnetNumberDialogRefusesThenGoesToTheSubnet)
{
    enter("192.168.1.77", "255.255.255.224");
    fake.answers = {"7", "0", "abc", "3"};
    QTest::mouseClick(button("SSCommand2"), Qt::LeftButton);
    ASSERT_EQ(fake.prompts.size(), 4u);
    EXPECT_EQ(fake.prompts[0].prompt, "Enter a subnet number between 1 and  6");
    EXPECT_EQ(fake.prompts[0].title, "Request a Subnet Number");
    EXPECT_EQ(fake.prompts[0].defaultText, "1");
    const std::vector<Message> expected = {
        {"Subnet number entered too high \n\rPlease enter a number up to  6", MsgIcon::Exclamation, "Warning"},
        {"Subnet zero not enabled\n\rPlease enter a number up to  6", MsgIcon::Exclamation, "Warning"},
        {"Please enter a number", MsgIcon::Critical, "Input Error"},
    };
    EXPECT_EQ(fake.messages, expected);
    EXPECT_EQ(octets(), QStringList({"192", "168", "1", "97"}));
    EXPECT_EQ(window->subnetNumberBox()->text(), "3");
    EXPECT_EQ(panel(4), "192.168.1.96");
    EXPECT_EQ(choices(), QStringList({"3", "255.255.255.224", "6", "30"}));
}

TEST_F(FrmdocWindow, CancellingTheSubnetNumberDialogChangesNothing)
{
    enter("192.168.1.77", "255.255.255.224");
    QTest::mouseClick(button("SSCommand2"), Qt::LeftButton);  // no answer queued: Cancel
    EXPECT_EQ(fake.prompts.size(), 1u);
    EXPECT_EQ(octets(), QStringList({"192", "168", "1", "77"}));
    EXPECT_EQ(window->subnetNumberBox()->text(), "2");
}

struct Step {
    const char* buttons;  // "<" and ">" pressed in order
    const char* subnet;
    const char* lastOctet;
    const char* status;
};

class SubnetSteps : public FrmdocWindow, public ::testing::WithParamInterface<Step> { };

TEST_P(SubnetSteps, PreviousAndNextMoveBetweenSubnets)
{
    enter("192.168.1.77", "255.255.255.224");
    for (const char* p = GetParam().buttons; *p; ++p)
        QTest::mouseClick(button(*p == '<' ? "SSCommand4" : "SSCommand6"), Qt::LeftButton);
    EXPECT_EQ(window->subnetNumberBox()->text(), GetParam().subnet);
    EXPECT_EQ(window->octetField(3)->text(), GetParam().lastOctet);
    EXPECT_EQ(window->statusPanel()->text(), GetParam().status);
    EXPECT_TRUE(fake.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Steps, SubnetSteps,
                         ::testing::Values(Step{">", "3", "97", "Host address is a valid address"},
                                           Step{"<", "1", "33", "Host address is a valid address"},
                                           Step{"<<", "0", "1", "WARNING - Host address is in subnet zero"},
                                           Step{"<<<", "0", "1", "WARNING - Host address is in subnet zero"},
                                           Step{">>>>", "6", "193", "Host address is a valid address"},
                                           Step{">>>>>", "6", "193", "Host address is a valid address"},
                                           Step{"><<>", "2", "65", "Host address is a valid address"}));

TEST_F(FrmdocWindow, NextFiftySubnetsFillTheGrid)
{
    enter("192.168.1.77", "255.255.255.224");
    QTest::mouseClick(button("SSCommand1"), Qt::LeftButton);
    const QStringList row1 = {"2", "192.168.1.64", "192.168.1.65", "192.168.1.94", "192.168.1.95"};
    const QStringList row5 = {"6", "192.168.1.192", "192.168.1.193", "192.168.1.222", "192.168.1.223"};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(gridCell(1, c), row1[c]);
        EXPECT_EQ(gridCell(5, c), row5[c]);
        EXPECT_EQ(gridCell(6, c), "");
        EXPECT_EQ(gridCell(50, c), "");
    }
    EXPECT_EQ(gridCell(0, 0), "Subnet ");
    EXPECT_EQ(gridCell(0, 4), "Broadcast Address");
    EXPECT_EQ(window->grid()->rowCount(), 50);
    EXPECT_EQ(window->grid()->columnWidth(0), ui::twipsToPixels(1000));
    EXPECT_EQ(window->grid()->columnWidth(3), ui::twipsToPixels(1750));
}

TEST_F(FrmdocWindow, CopiesATwoByTwoSelection)
{
    enter("192.168.1.77", "255.255.255.224");
    QTest::mouseClick(button("SSCommand6"), Qt::LeftButton);  // subnet 3
    QTest::mouseClick(button("SSCommand1"), Qt::LeftButton);
    QWidget* cells = window->grid()->viewport();
    QTest::mouseClick(cells, Qt::LeftButton, {}, cellCentre(2, 2));
    QTest::mouseClick(cells, Qt::LeftButton, Qt::ShiftModifier, cellCentre(1, 1));
    QTest::mouseClick(button("SSCommand3"), Qt::LeftButton);
    EXPECT_EQ(fake.clipboard, "192.168.1.96   192.168.1.97   \r192.168.1.128   192.168.1.129   \r");
}

TEST_F(FrmdocWindow, ClickingAHeadingCopiesThatColumnWithoutTheHeading)
{
    enter("192.168.1.77", "255.255.255.224");
    QTest::mouseClick(button("SSCommand1"), Qt::LeftButton);
    QHeaderView* header = window->grid()->horizontalHeader();
    const int x = header->sectionViewportPosition(0) + header->sectionSize(0) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    QTest::mouseClick(button("SSCommand3"), Qt::LeftButton);
    std::string expected = "2   \r3   \r4   \r5   \r6   \r";
    for (int r = 6; r <= 50; ++r)
        expected += "   \r";
    EXPECT_EQ(fake.clipboard, expected);
}

TEST_F(FrmdocWindow, SubnetZeroBoxRebuildsTheLists)
{
    enter("192.168.1.77", "255.255.255.224");
    QTest::mouseClick(window->subnetZeroBox(), Qt::LeftButton);
    EXPECT_TRUE(window->subnetZeroBox()->isChecked());
    EXPECT_EQ(state.subnetZero, "y");
    EXPECT_EQ(window->choiceBox(0)->count(), 7);
    EXPECT_EQ(window->choiceBox(0)->itemText(1), "1");
    EXPECT_EQ(choices(), QStringList({"", "", "", ""}));
    EXPECT_EQ(panel(5), "");
}

// A switch-access tool or screen reader ticks the box with its Toggle action,
// which emits no click: the box must answer all the same, once per change.
TEST_F(FrmdocWindow, SubnetZeroBoxAnswersTheToggleAction)
{
    enter("192.168.1.77", "255.255.255.224");
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(window->subnetZeroBox());
    ASSERT_NE(box, nullptr);
    ASSERT_NE(box->actionInterface(), nullptr);
    box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(window->subnetZeroBox()->isChecked());
    EXPECT_EQ(state.subnetZero, "y");
    EXPECT_EQ(window->choiceBox(0)->count(), 7);
    EXPECT_EQ(panel(5), "");
    box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(state.subnetZero, "n");
    EXPECT_EQ(window->choiceBox(0)->count(), 6);
}

// A first octet of 999 pasted over a calculation: the message comes, the
// results of the last valid address stay, and nothing computes from 999.
TEST_F(FrmdocWindow, RejectedOctetLeavesResultsMovesAndGridAlone)
{
    enter("192.168.1.77", "255.255.255.224");
    QTest::mouseClick(button("SSCommand1"), Qt::LeftButton);
    QGuiApplication::clipboard()->setText(QStringLiteral("999"));
    window->octetField(0)->setFocus();
    window->octetField(0)->selectAll();
    QTest::keySequence(window->octetField(0), QKeySequence::Paste);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Address MUST start between 1 and 223");
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(window->choiceBox(i)->isEnabled());
    EXPECT_FALSE(window->subnetZeroBox()->isEnabled());
    fake.answers = {"3"};
    for (const char* b : {"SSCommand4", "SSCommand6", "SSCommand2", "SSCommand1"})
        QTest::mouseClick(button(b), Qt::LeftButton);
    EXPECT_TRUE(fake.prompts.empty());
    EXPECT_EQ(octets(), QStringList({"999", "168", "1", "77"}));
    EXPECT_EQ(panel(4), "192.168.1.64");
    EXPECT_EQ(window->subnetNumberBox()->text(), "2");
    EXPECT_EQ(gridCell(1, 1), "192.168.1.64");
    EXPECT_EQ(fake.messages.size(), 1u);
}

struct Paste {
    const char* name;
    const char* clipboard;
    const char* octets;  // the four fields afterwards, joined by "|"
    bool refused;
};

class PasteIntoAddress : public FrmdocWindow, public ::testing::WithParamInterface<Paste> { };

TEST_P(PasteIntoAddress, PastedTextIsCheckedLikeTypedText)
{
    QGuiApplication::clipboard()->setText(QString::fromLatin1(GetParam().clipboard));
    window->octetField(0)->setFocus();
    QTest::keySequence(window->octetField(0), QKeySequence::Paste);
    EXPECT_EQ(octets().join(QLatin1Char('|')), QString::fromLatin1(GetParam().octets));
    EXPECT_EQ(fake.messages.size(), GetParam().refused ? 1u : 0u);
    if (GetParam().refused) {
        EXPECT_EQ(fake.messages[0].icon, MsgIcon::Exclamation);
    }
}

INSTANTIATE_TEST_SUITE_P(Clipboard, PasteIntoAddress,
                         ::testing::Values(Paste{"WholeAddress", "172.16.37.200", "172|16|37|200", false},
                                           Paste{"WholeAddressWithBlanks", "  10.1.77.9\n", "10|1|77|9", false},
                                           Paste{"Digits", "19", "19|||", false}, Paste{"Letters", "abc", "|||", true},
                                           Paste{"FiveParts", "1.2.3.4.5", "|||", true},
                                           Paste{"Negative", "-5", "|||", true},
                                           Paste{"TooManyDigits", "1234", "|||", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrmdocWindow, PastedAddressIsClassified)
{
    QGuiApplication::clipboard()->setText("172.16.37.200");
    QTest::keySequence(window->octetField(0), QKeySequence::Paste);
    EXPECT_EQ(window->classBox()->text(), "B");
    EXPECT_EQ(window->choiceBox(1)->count(), 14);
    EXPECT_TRUE(window->choiceBox(1)->isEnabled());
}

TEST_F(FrmdocWindow, ControlsCarryTheirNamesAndTabOrder)
{
    const QStringList order = {"Text3(0)",   "Text3(1)",    "Text3(2)",   "Text3(3)",     "SSCheck1",
                               "Combo1(0)",  "Combo1(1)",   "Combo1(2)",  "Combo1(3)",    "SSCommand2",
                               "SSCommand1", "SSCommand5",  "SSCommand3", "RichTextBox1", "RichTextBox2",
                               "Text2",      "MSFlexGrid1", "Text1",      "SSCommand4",   "SSCommand6"};
    for (auto& o : state.octetBits)
        o.clear();
    // Enable every control so the walk visits them all.
    typeAddress("10.0.0.1");
    QStringList walked;
    QWidget* w = window->octetField(0);
    for (int i = 0; i < order.size(); ++i) {
        walked << w->objectName();
        w = ui::nextInTabOrder(window.get(), w);
        ASSERT_NE(w, nullptr);
    }
    EXPECT_EQ(walked, order);
    EXPECT_EQ(w->objectName(), "Text3(0)");  // and round again

    const QStringList panels = {"SSPanel6(0)", "SSPanel6(6)", "SSPanel5(3)", "SSPanel2(2)",
                                "SSPanel13",   "SSPanel1",    "Label5(1)",   "SSFrame3"};
    for (const QString& name : panels)
        EXPECT_NE(window->findChild<QWidget*>(name), nullptr) << name.toStdString();
    EXPECT_EQ(window->findChild<QLabel*>("Label5(1)")->text(), "# Bits in Subnet Mask");
    EXPECT_EQ(window->findChild<QLabel*>("Label5(1)")->geometry().top(), ui::twipsToPixels(240));
    EXPECT_EQ(window->findChild<QWidget*>("SSPanel5(6)")->geometry(), ui::twipsRect(120, 1080, 1815, 255));
    EXPECT_TRUE(window->classBox()->font().bold());
    EXPECT_EQ(window->classBox()->font().pointSizeF(), 12);
    EXPECT_EQ(button("SSCommand4")->text(), "<");
    EXPECT_TRUE(button("SSCommand6")->font().bold());
    EXPECT_EQ(window->choiceBox(0)->accessibleName(), "# Bits in Subnet Mask");
}

TEST_F(FrmdocWindow, ResizingMovesNothing)
{
    const QRect grid = window->grid()->geometry();
    const QRect field = window->octetField(2)->geometry();
    window->resize(window->width() / 2, window->height() / 2);
    QApplication::processEvents();
    EXPECT_EQ(window->grid()->geometry(), grid);
    EXPECT_EQ(window->octetField(2)->geometry(), field);
}

TEST_F(FrmdocWindow, ClassBResultDrawsTheThreeColours)
{
    enter("172.16.37.200", "255.255.255.192");
    EXPECT_EQ(window->subnetNumberBox()->text(), "151");
    QTest::mouseClick(button("SSCommand1"), Qt::LeftButton);
    EXPECT_EQ(gridCell(50, 1), "172.16.50.0");
    const QImage shot = window->grab().toImage();
    // The mask display shows red, blue and olive digits.
    const QRect box = window->maskBinary()->geometry().translated(window->maskBinary()->parentWidget()->pos());
    bool red = false, blue = false, olive = false;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red |= c.red() > 200 && c.green() < 80 && c.blue() < 80;
            blue |= c.blue() > 200 && c.red() < 80 && c.green() < 80;
            olive |= c.red() > 90 && c.green() > 90 && c.blue() < 40 && std::abs(c.red() - c.green()) < 30;
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(blue);
    EXPECT_TRUE(olive);
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        shot.save(QDir(QString::fromLocal8Bit(dir)).filePath("frmdoc_class_b.png"));
}

}  // namespace
}  // namespace mq::test
