#include "ui/Form10/form10.h"

#include "tests/support/fake_services.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

class Form10Window : public ::testing::Test {
protected:
    test::FakeServices services;
    Form10* w = nullptr;

    void SetUp() override
    {
        w = new Form10(nullptr, &services);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    void TearDown() override
    {
        delete w;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* t : QApplication::topLevelWidgets())
            ADD_FAILURE() << "top-level window left: " << t->metaObject()->className();
    }
    template <class T> T* child(const QString& name)
    {
        T* c = w->findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }
    QLineEdit* octet(int i) { return child<QLineEdit>(QStringLiteral("Text1(%1)").arg(i)); }
    QLineEdit* hosts(int i) { return child<QLineEdit>(QStringLiteral("Text2(%1)").arg(i)); }
    QLabel* hostLabel(int i) { return child<QLabel>(QStringLiteral("SSPanel2(%1)").arg(i)); }
    QString prompt() { return child<QLabel>("SSPanel1")->text(); }
    void click(const char* button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    QStringList results()
    {
        QStringList out;
        auto* list = child<QListWidget>("List1");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    std::string focusName()
    {
        QWidget* f = QApplication::focusWidget();
        return f ? f->objectName().toStdString() : std::string("(none)");
    }
    int visibleHostBoxes()
    {
        int n = 0;
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(hosts(i)->isVisible(), hostLabel(i)->isVisible()) << i;
            n += hosts(i)->isVisible();
        }
        return n;
    }
    // Types the address as a user would: three digits move on by themselves.
    void typeAddress(const char* a, const char* b, const char* c)
    {
        octet(0)->setFocus();
        for (const char* t : {a, b, c}) {
            QWidget* f = QApplication::focusWidget();
            QTest::keyClicks(f, QString::fromLatin1(t));
            if (QString::fromLatin1(t).size() < 3)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
    }
};

TEST_F(Form10Window, OpensWithItsControlsAndNames)
{
    EXPECT_EQ(w->windowTitle(), "Class C VLSM Quill");
    EXPECT_EQ(child<QGroupBox>("SSFrame1")->title(), "Please enter details as instructed below");
    EXPECT_EQ(octet(3)->text(), "0");
    EXPECT_FALSE(octet(3)->isEnabled());
    EXPECT_EQ(octet(0)->maxLength(), 3);
    EXPECT_EQ(hosts(0)->maxLength(), 2);
    EXPECT_FALSE(child<QComboBox>("Combo1")->isVisible());
    EXPECT_EQ(visibleHostBoxes(), 0);
    EXPECT_EQ(hostLabel(29)->text(), "30");
    EXPECT_EQ(child<QPushButton>("SSCommand1")->text(), "Continue");
    EXPECT_EQ(child<QPushButton>("SSCommand3")->text(), "Clear Input");
    EXPECT_EQ(child<QPushButton>("SSCommand2")->text(), "Done");
    EXPECT_EQ(child<QPushButton>("SSCommand2")->accessibleName(), "Done");
    EXPECT_EQ(octet(1)->accessibleName(), "Second octet");
    EXPECT_EQ(hosts(4)->accessibleName(), "Hosts in segment 5");
    EXPECT_EQ(child<QListWidget>("List1")->accessibleName(), "Results");
    EXPECT_TRUE(child<QLabel>("SSPanel3")->text().startsWith("The VLSM Assistant will variably subnet"));
    saveShot(w, "form10_start.png");
}

TEST_F(Form10Window, WholeWizardThroughTheWidgets)
{
    typeAddress("192", "168", "1");
    EXPECT_EQ(octet(2)->text(), "1");
    EXPECT_EQ(octet(0)->text(), "192");
    click("SSCommand1");
    EXPECT_EQ(prompt(), "How many segments do you have?");
    auto* combo = child<QComboBox>("Combo1");
    ASSERT_TRUE(combo->isVisible());
    EXPECT_EQ(combo->count(), 30);
    EXPECT_FALSE(octet(0)->isEnabled());
    EXPECT_EQ(focusName(), "Combo1");
    QTest::keyClicks(combo, "4");
    click("SSCommand1");
    EXPECT_EQ(focusName(), "Text2(0)");
    EXPECT_FALSE(combo->isVisible());
    EXPECT_EQ(prompt(), "Enter the number of hosts for each segment");
    EXPECT_EQ(visibleHostBoxes(), 4);
    const char* counts[] = {"20", "50", "2", "10"};
    for (int i = 0; i < 4; ++i)
        QTest::keyClicks(hosts(i), counts[i]);
    click("SSCommand1");
    EXPECT_TRUE(services.messages.empty());
    const QStringList expected = {"",
                                  "Number of segments chosen is 4",
                                  "",
                                  "Segment 1 has 20 hosts",
                                  "Segment 2 has 50 hosts",
                                  "Segment 3 has 2 hosts",
                                  "Segment 4 has 10 hosts",
                                  "",
                                  "Subnet 2 lower address is 192.168.1.129",
                                  "Subnet 2 upper address is 192.168.1.190",
                                  "Subnet mask for segment 2 is 255.255.255.192",
                                  "",
                                  "Subnet 1 lower address is 192.168.1.97",
                                  "Subnet 1 upper address is 192.168.1.126",
                                  "Subnet mask for segment 1 is 255.255.255.224",
                                  "",
                                  "Subnet 4 lower address is 192.168.1.81",
                                  "Subnet 4 upper address is 192.168.1.94",
                                  "Subnet mask for segment 4 is 255.255.255.240",
                                  "",
                                  "Subnet 3 lower address is 192.168.1.77",
                                  "Subnet 3 upper address is 192.168.1.78",
                                  "Subnet mask for segment 3 is 255.255.255.252",
                                  ""};
    EXPECT_EQ(results(), expected);
    EXPECT_EQ(w->resultLines().size(), static_cast<std::size_t>(expected.size()));
    EXPECT_EQ(prompt(), "Click the Continue button below to use the wizard again");
    EXPECT_EQ(visibleHostBoxes(), 0);
    saveShot(w, "form10_finished.png");

    // Continue once: the address boxes come back with their texts, results stay.
    click("SSCommand1");
    EXPECT_TRUE(octet(0)->isEnabled());
    EXPECT_EQ(octet(1)->text(), "168");
    EXPECT_EQ(results(), expected);
    // And once more: a fresh run.
    click("SSCommand1");
    EXPECT_TRUE(results().isEmpty());
    EXPECT_TRUE(combo->isVisible());
    EXPECT_TRUE(hosts(0)->text().isEmpty());
}

TEST_F(Form10Window, KeyFilterOfTheOctetBoxes)
{
    octet(0)->setFocus();
    QTest::keyClicks(octet(0), "1a");
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Invalid Input - Numerics Only");
    EXPECT_EQ(services.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(services.messages[0].title, "Maskquill");
    EXPECT_EQ(octet(0)->text(), "");
    QTest::keyClicks(octet(0), "19");
    EXPECT_EQ(focusName(), "Text1(0)");
    QTest::keyClicks(octet(0), "2");
    EXPECT_EQ(focusName(), "Text1(1)");
    QTest::keyClicks(octet(1), "1.");
    EXPECT_EQ(octet(1)->text(), "");
    EXPECT_EQ(services.messages.size(), 2u);
    // Shift+Tab back into the full first box keeps its text.
    QTest::keyClick(octet(1), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusName(), "Text1(0)");
    EXPECT_EQ(octet(0)->text(), "192");
    EXPECT_EQ(services.messages.size(), 2u);
    // A typed "!" is refused.
    QTest::keyClick(octet(0), Qt::Key_End);
    QTest::keyClick(octet(0), Qt::Key_Backspace);
    QTest::keyClick(octet(0), Qt::Key_Exclam, Qt::ShiftModifier);
    EXPECT_EQ(octet(0)->text(), "");
    EXPECT_EQ(services.messages.size(), 3u);
}

TEST_F(Form10Window, TabOrderSkipsHiddenAndDisabledControls)
{
    octet(0)->setFocus();
    std::vector<std::string> seen;
    for (int i = 0; i < 6; ++i) {
        seen.push_back(focusName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{"Text1(0)", "Text1(1)", "Text1(2)", "SSCommand1", "SSCommand3", "SSCommand2"}));
    EXPECT_EQ(focusName(), "List1");
}

TEST_F(Form10Window, RejectedAddressPutsTheFocusOnTheBox)
{
    typeAddress("192", "256", "1");
    click("SSCommand1");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Entered number must be between 0 and 255");
    EXPECT_EQ(focusName(), "Text1(1)");
    EXPECT_TRUE(octet(0)->isEnabled());
    // Text pasted into a box is judged by the box's rule.
    octet(1)->setText("1x");
    click("SSCommand1");
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[1].text, "Entered number must be between 0 and 255");
    EXPECT_EQ(w->model().step(), 1);
}

TEST_F(Form10Window, ClearInputDoneAndClose)
{
    typeAddress("200", "10", "20");
    click("SSCommand1");
    QTest::keyClicks(child<QComboBox>("Combo1"), "2");
    click("SSCommand1");
    QTest::keyClicks(hosts(0), "30");
    QTest::keyClicks(hosts(1), "6");
    click("SSCommand1");
    const QStringList finished = results();
    ASSERT_EQ(finished.size(), 14);

    // Done hides the window and keeps everything for the next show.
    click("SSCommand2");
    EXPECT_FALSE(w->isVisible());
    w->show();
    EXPECT_EQ(results(), finished);
    EXPECT_EQ(w->model().step(), 0);

    click("SSCommand3");
    EXPECT_TRUE(results().isEmpty());
    EXPECT_EQ(prompt(), "Enter your class C address and click the Continue button below to use the wizard again");
    EXPECT_TRUE(octet(0)->isEnabled());
    EXPECT_EQ(octet(0)->text(), "200");

    // Closing starts afresh.
    click("SSCommand1");
    ASSERT_EQ(w->model().step(), 2);
    w->close();
    w->show();
    EXPECT_EQ(w->model().step(), 1);
    EXPECT_EQ(octet(0)->text(), "");
    EXPECT_FALSE(child<QComboBox>("Combo1")->isVisible());
    EXPECT_TRUE(results().isEmpty());
}

TEST_F(Form10Window, ThirtySegmentsShowEveryHostBox)
{
    typeAddress("223", "255", "255");
    click("SSCommand1");
    auto* combo = child<QComboBox>("Combo1");
    combo->setCurrentIndex(29);
    click("SSCommand1");
    EXPECT_EQ(visibleHostBoxes(), 30);
    for (int i = 0; i < 30; ++i)
        QTest::keyClicks(hosts(i), i % 2 ? "2" : "1");
    saveShot(w, "form10_thirty.png");
    click("SSCommand1");
    const QStringList r = results();
    ASSERT_EQ(r.size(), 3 + 31 + 30 * 4);
    // Segments of 2 hosts come first, segment 2 takes the middle block.
    EXPECT_EQ(r[34].toStdString(), "Subnet 2 lower address is 223.255.255.129");
    EXPECT_FALSE(r.contains("Cannot assign a subnet mask to subnet 30"));
}

TEST(Form10Keys, QtKeysAsKeyCodes)
{
    EXPECT_EQ(Form10::keyCode(Qt::Key_5, Qt::NoModifier, "5"), 53);
    EXPECT_EQ(Form10::keyCode(Qt::Key_5, Qt::KeypadModifier, "5"), 101);
    EXPECT_EQ(Form10::keyCode(Qt::Key_Backtab, Qt::ShiftModifier, ""), 9);
    EXPECT_EQ(Form10::keyCode(Qt::Key_F12, Qt::NoModifier, ""), 123);
    EXPECT_EQ(Form10::keyCode(Qt::Key_Q, Qt::NoModifier, "q"), 81);
    EXPECT_EQ(Form10::keyCode(Qt::Key_Asterisk, Qt::NoModifier, "*"), 0);
    EXPECT_EQ(Form10::keyCode(Qt::Key_VolumeUp, Qt::NoModifier, ""), -1);
    EXPECT_EQ(Form10::shiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
}

}  // namespace
}  // namespace mq::ui
