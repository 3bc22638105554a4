#include "ui/clist/clist.h"

#include "tests/support/fake_services.h"
#include "ui/platform/flex_grid.h"
#include "ui/platform/geometry.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace mq::ui {
namespace {

void saveShot(QWidget* w, const char* name)
{
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        w->grab().save(QString::fromLocal8Bit(dir) + "/" + name);
}

class ClistWindow : public ::testing::Test {
protected:
    test::FakeServices services;
    Clist* w = nullptr;

    void SetUp() override
    {
        w = new Clist(nullptr, &services);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    void TearDown() override
    {
        delete w;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* t : QApplication::topLevelWidgets())
            ADD_FAILURE() << "top-level window left: " << t->metaObject()->className();
    }
    template <class T> T* child(const char* name)
    {
        T* c = w->findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QString panel(int i) { return child<QLabel>(qPrintable(QStringLiteral("SSPanel1(%1)").arg(i)))->text(); }
    void search(const QString& text)
    {
        auto* box = child<QLineEdit>("Text1");
        box->clear();
        QTest::keyClicks(box, text);
        QTest::mouseClick(child<QPushButton>("SSCommand2"), Qt::LeftButton);
    }
};

TEST_F(ClistWindow, StartsEmptyWithItsColumnsAndCaptions)
{
    auto* grid = child<FlexGrid>("MSFlexGrid1");
    EXPECT_EQ(w->windowTitle(), "Common Lists");
    EXPECT_EQ(grid->rowCount(), 237);
    EXPECT_EQ(grid->columnCount(), 2);
    EXPECT_EQ(grid->columnWidth(0), twipsToPixels(3300));
    EXPECT_EQ(grid->columnWidth(1), twipsToPixels(4100));
    EXPECT_EQ(grid->item(0, 0), nullptr);
    EXPECT_EQ(child<QPushButton>("SSCommand1(0)")->text(), "Common Ethernet MAC Vendor Codes");
    EXPECT_EQ(child<QPushButton>("SSCommand2")->text(), "Search For..");
    EXPECT_TRUE(child<QLabel>("Label1")->text().startsWith("PLEASE NOTE - "));
}

TEST_F(ClistWindow, LoadsAListAndFindsExactCells)
{
    QTest::mouseClick(child<QPushButton>("SSCommand1(1)"), Qt::LeftButton);
    auto* grid = child<FlexGrid>("MSFlexGrid1");
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "TCP/UDP Port Number");
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Description");
    // Grid row 96 is the 96th row under the heading.
    EXPECT_EQ(grid->item(95, 0)->text(), "114");
    EXPECT_EQ(grid->item(95, 1)->text(), "Audio News Multicast");
    saveShot(w, "clist-ports.png");

    search("25");
    EXPECT_EQ(panel(0), "25");
    EXPECT_EQ(panel(1), "Simple mail transfer");

    search("Telnet");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0], (test::Message{"No match found", MsgIcon::Information, "Sorry"}));
    EXPECT_EQ(panel(0), "25");

    // Return in the search box searches too.
    auto* box = child<QLineEdit>("Text1");
    box->clear();
    QTest::keyClicks(box, "telnet");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(panel(0), "23");
    saveShot(w, "clist-search.png");

    // Loading the multicast list afterwards leaves the rest of the grid empty.
    QTest::mouseClick(child<QPushButton>("SSCommand1(2)"), Qt::LeftButton);
    EXPECT_EQ(panel(0), "");
    EXPECT_EQ(grid->item(29, 0)->text(), "232.x.x.x");
    for (int r = 30; r < grid->rowCount(); ++r)
        for (int c = 0; c < 2; ++c) {
            if (grid->item(r, c)) {
                EXPECT_EQ(grid->item(r, c)->text(), "") << r << "," << c;
            }
        }
}

TEST_F(ClistWindow, EmptySearchIsRefused)
{
    QTest::mouseClick(child<QPushButton>("SSCommand1(0)"), Qt::LeftButton);
    search("");
    EXPECT_EQ(services.messages,
              (std::vector<test::Message>{{"Please enter a search argument", MsgIcon::Critical, "Search Error"}}));
    EXPECT_EQ(services.focusMoves, std::vector<std::string>{"Text1"});
    search("AT&T");
    EXPECT_EQ(panel(0), "00003D");
}

}  // namespace
}  // namespace mq::ui
