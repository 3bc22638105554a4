// The Classless Calculator in the main window: typed into as a user would, its
// listing scrolled and jumped over 2^128 rows, and its Save and Print.
#include "tests/support/fake_services.h"
#include "ui/bindec/bindec.h"
#include "ui/classless/classless_window.h"
#include "ui/classless/lines_view.h"
#include "ui/classless/list_box.h"
#include "ui/classless/subnet_table.h"
#include "ui/frmMain/frm_main.h"
#include "ui/help/help_window.h"
#include "ui/platform/theme.h"
#include "ui/reports/main_window_reports.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QToolBar>
#include <gtest/gtest.h>

#include <cstdlib>

namespace mq::ui {
namespace {

class MemorySettings : public SettingsStore {
public:
    void saveSetting(const QString&, const QString&, const QString&, const QString&) override { }
    QString getSetting(const QString&, const QString&, const QString&, const QString& def) const override
    {
        return def;
    }
};

constexpr classless::u128 kAll = ~static_cast<classless::u128>(0);

class ClasslessWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    CalculatorState state;
    MemorySettings settings;
    test::FakeServices services;
    FrmMain* main = nullptr;
    MainWindowReports* reports = nullptr;
    ClasslessWindow* w = nullptr;

    void SetUp() override
    {
        main = new FrmMain(state, settings);
        main->registerTool(4, "bindec", [this] { return new Bindec(nullptr, &services); });
        main->registerWindow(kClasslessWindowName, [] { return new ClasslessWindow; });
        reports = new MainWindowReports(*main, &services);
        main->resize(1200, 900);
        main->show();
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        main->findChild<QAction*>("mnuTools_classless")->trigger();
        w = qobject_cast<ClasslessWindow*>(main->findWindow(kClasslessWindowName));
        ASSERT_NE(w, nullptr);
        main->subWindow(kClasslessWindowName)->resize(1100, 700);
        QApplication::processEvents();
    }
    void TearDown() override
    {
        delete main;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* t : QApplication::topLevelWidgets())
            ADD_FAILURE() << "top-level window left: " << t->metaObject()->className() << " "
                          << t->objectName().toStdString();
    }
    template <class T> T* child(const char* name)
    {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QString field(const char* name) { return child<QLineEdit>(name)->text(); }
    void type(const QString& text)
    {
        QLineEdit* box = child<QLineEdit>("Input");
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    // Pastes a list into list A and waits for its result.
    void paste(const QString& list)
    {
        QSignalSpy shown(w, &ClasslessWindow::listsShown);
        child<QPlainTextEdit>("ListA")->setPlainText(list);
        ASSERT_TRUE(shown.wait(60000));
    }
    QString pdfText(const QString& pdf)
    {
        reports->output().setPrintDialog([pdf](QPrinter& p) -> std::optional<int> {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            return 1;
        });
        main->printopt();
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    void split(const char* parent, const char* length)
    {
        type(QString::fromLatin1(parent));
        QLineEdit* s = child<QLineEdit>("SplitLength");
        s->clear();
        QTest::keyClicks(s, QString::fromLatin1(length));
        QTest::keyClick(s, Qt::Key_Return);
        ASSERT_TRUE(w->listing().shown()) << w->listing().message;
    }
};

TEST_F(ClasslessWindowTest, ToolsMenuAndToolbarButtonOpenOneWindow)
{
    // The main window opens it at its own size, wide enough for an IPv6 result.
    main->subWindow(kClasslessWindowName)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    main->findChild<QAction*>("mnuTools_classless")->trigger();
    w = qobject_cast<ClasslessWindow*>(main->findWindow(kClasslessWindowName));
    ASSERT_NE(w, nullptr);
    EXPECT_GE(w->width(), w->sizeHint().width());

    QStringList menus;
    for (QAction* a : main->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Window", "&Tools", "&Help"}));
    // The thirteen buttons keep their places; the tool follows behind a separator.
    const QList<QAction*> buttons = main->toolbar()->actions();
    ASSERT_EQ(buttons.size(), 16);
    const QStringList keys = {"exit",    "Button2", "maskquill", "calculator", "macc",  "commonlist", "vlsm",
                              "Button8", "save",    "Button10",  "Button11",   "about", "help"};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(buttons[i]->objectName(), keys[i]);
    EXPECT_TRUE(buttons[13]->isSeparator());
    EXPECT_EQ(buttons[14]->objectName(), "classless");
    EXPECT_EQ(buttons[14]->toolTip(), "Click here to use the Classless Calculator");
    EXPECT_FALSE(buttons[14]->icon().isNull());
    buttons[14]->trigger();
    buttons[14]->trigger();
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(main->activeChildName(), kClasslessWindowName);
    EXPECT_EQ(main->subWindow(kClasslessWindowName)->windowTitle(), "Classless Calculator");
}

TEST_F(ClasslessWindowTest, ResultsFollowEveryKeystrokeAndErrorsKeepThem)
{
    type("2001:db8:85a3::8a2e:370:7334/6");
    EXPECT_EQ(field("Network"), "2000::/6");
    QTest::keyClicks(child<QLineEdit>("Input"), "4");
    EXPECT_EQ(field("Network"), "2001:db8:85a3::/64");
    EXPECT_EQ(field("Expanded"), "2001:0db8:85a3:0000:0000:8a2e:0370:7334");
    EXPECT_EQ(child<QSpinBox>("PrefixSpin")->maximum(), 128);
    EXPECT_EQ(child<QSlider>("PrefixSlider")->value(), 64);
    EXPECT_FALSE(child<QLineEdit>("Wildcard")->isVisible());
    EXPECT_TRUE(child<QLabel>("Badge0")->text().startsWith("Documentation"));
    EXPECT_TRUE(
        child<QLabel>("AddressBinary")->text().contains("color:" + accent(Accent::NetworkBits, w->palette()).name()));
    EXPECT_TRUE(
        child<QLabel>("AddressBinary")->text().contains("color:" + accent(Accent::HostBits, w->palette()).name()));

    QTest::keyClicks(child<QLineEdit>("Input"), "9");  // /649
    QLabel* error = child<QLabel>("Error");
    EXPECT_TRUE(error->isVisible());
    EXPECT_FALSE(error->text().isEmpty());
    EXPECT_EQ(field("Network"), "2001:db8:85a3::/64");  // the last good results stay
    QTest::keyClick(child<QLineEdit>("Input"), Qt::Key_Backspace);
    EXPECT_FALSE(error->isVisible());

    // The prefix controls rewrite the box, and each other.
    child<QSpinBox>("PrefixSpin")->setValue(48);
    EXPECT_EQ(child<QLineEdit>("Input")->text(), "2001:db8:85a3::8a2e:370:7334/48");
    EXPECT_EQ(child<QSlider>("PrefixSlider")->value(), 48);
    EXPECT_EQ(child<QComboBox>("Mask")->currentText(), "/48  ffff:ffff:ffff::");
    type("10.1.2.3 255.255.252.0");
    EXPECT_EQ(child<QSpinBox>("PrefixSpin")->maximum(), 32);
    child<QSlider>("PrefixSlider")->setValue(24);
    EXPECT_EQ(field("Network"), "10.1.2.0/24");
    EXPECT_EQ(child<QComboBox>("Mask")->currentIndex(), 24);

    // Ctrl+C in a result copies its value.
    QLineEdit* bcast = child<QLineEdit>("Broadcast");
    bcast->setFocus();
    QTest::keyClick(bcast, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "10.1.2.255");

    // An empty box says why nothing is shown, and the results of before are gone.
    type("");
    EXPECT_FALSE(child<QLineEdit>("Broadcast")->isVisible());
    EXPECT_EQ(field("Network"), "");
    EXPECT_TRUE(child<QLabel>("Notice")->isVisible());
    EXPECT_EQ(child<QLabel>("Notice")->text().toStdString(), classless::kEmptyNotice);
}

TEST_F(ClasslessWindowTest, ListsWorkOffTheInterfaceThreadAndKeepTheLastResult)
{
    QPlainTextEdit* list = child<QPlainTextEdit>("ListA");
    QSignalSpy shown(w, &ClasslessWindow::listsShown);
    for (const char* line : {"10.0.0.0/25 # office", "10.0.0.128/25", "ten"}) {
        QTest::keyClicks(list, line);
        QTest::keyClick(list, Qt::Key_Return);
    }
    EXPECT_TRUE(w->listsPending());  // nothing worked out while typing
    ASSERT_TRUE(shown.wait(60000));
    EXPECT_EQ(shown.count(), 1);  // once, for the text as it stood after the pause
    auto* out = child<LinesView>("ListsOutput");
    EXPECT_EQ(out->text(), "10.0.0.0/24");
    EXPECT_TRUE(child<LinesView>("ListsErrors")->text().startsWith("A line 3: ten"));
    EXPECT_EQ(child<QLabel>("ListsCounts")->text(), "2 items in, 1 prefix out, 256 IPv4 addresses; 1 line not read");

    // A change keeps the last result on show until the new one is done; a change
    // during the work drops it.
    QString big;
    for (int i = 0; i < 200000; ++i)
        big += QStringLiteral("10.%1.%2.0/24\n").arg(i / 256 % 256).arg(i % 256);
    list->setPlainText(big);
    EXPECT_EQ(out->text(), "10.0.0.0/24");
    EXPECT_TRUE(child<QLabel>("ListsCounts")->text().contains("working out the changed lists"));
    QTest::qWait(kListPauseMs + 20);  // the work has started
    // On a fast machine the big list may be done already; whatever was shown by now stays
    // counted, and work still running when the list changes must never show.
    const int shownBefore = static_cast<int>(shown.count());
    list->setPlainText(QStringLiteral("192.168.0.0/24\n192.168.1.0/24"));
    ASSERT_TRUE(shown.wait(60000));
    QTest::qWait(200);
    EXPECT_EQ(shown.count(), shownBefore + 1);  // the dropped work never showed
    EXPECT_EQ(out->text(), "192.168.0.0/23");
    child<QPushButton>("CopyResult")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "192.168.0.0/23");

    // The copy of the list handed to the worker follows every kind of edit.
    QTextCursor c = list->textCursor();
    c.setPosition(3);
    c.setPosition(20, QTextCursor::KeepAnchor);
    list->setTextCursor(c);
    QApplication::clipboard()->setText(QStringLiteral("x\ny\u00a0z\n"));
    list->paste();
    EXPECT_EQ(w->listText('A'), list->toPlainText());
    QTest::keyClick(list, Qt::Key_Backspace);
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClicks(list, "ab");
    EXPECT_EQ(w->listText('A'), list->toPlainText());
    list->undo();
    list->undo();
    EXPECT_EQ(w->listText('A'), list->toPlainText());
    list->moveCursor(QTextCursor::End);
    QTest::keyClick(list, Qt::Key_Return);
    list->moveCursor(QTextCursor::Start);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(w->listText('A'), list->toPlainText());
    list->clear();
    EXPECT_EQ(w->listText('A'), QString());
}

TEST_F(ClasslessWindowTest, SaveAndPrintFollowThePageOnShow)
{
    type("10.1.2.3/22");
    child<QTabWidget>("Tools")->setCurrentIndex(1);
    paste(QStringLiteral("10.0.0.0/25\n10.0.0.128/25\n\x1b[2J\n"));
    main->mdiArea()->setActiveSubWindow(main->subWindow(kClasslessWindowName));
    const QString file = dir.filePath("summary");
    w->csvTarget().setFileChooser([file](const std::string&) { return classless::SaveChoice{file.toStdString(), 0}; });
    main->saveopt();
    QFile f(file + ".txt");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains("2 items in, 1 prefix out, 256 IPv4 addresses; 1 line not read\r\n\r\n10.0.0.0/24\r\n"));
    EXPECT_TRUE(bytes.contains("A line 3: \\x1b[2J: "));
    EXPECT_FALSE(bytes.contains("10.1.0.0/22"));
    const QString text = pdfText(dir.filePath("summary.pdf"));
    EXPECT_TRUE(text.contains("10.0.0.0/24"));
    EXPECT_FALSE(text.contains("Network:"));
}

TEST_F(ClasslessWindowTest, ListingOfAllIPv6ScrollsToItsLastRowAndBack)
{
    split("2001:db8:85a3::8a2e:370:7334/48", "64");
    QLineEdit* jump = child<QLineEdit>("JumpTo");
    QTest::keyClicks(jump, "2001:db8:85a3:ff::9");
    QTest::keyClick(jump, Qt::Key_Return);
    EXPECT_EQ(w->listing().current(), 255u);
    if (const char* shot = std::getenv("MQ_SCREENSHOT"))  // for looking at the window
        main->grab().save(QString::fromLocal8Bit(shot));

    split("::/0", "128");
    SubnetTable* table = w->table();
    EXPECT_TRUE(table->hasFocus());
    QScrollBar* bar = table->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), classless::kScrollSteps);
    QTest::keyClick(table, Qt::Key_End);
    EXPECT_EQ(w->listing().current(), kAll);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(table->accessibleDescription().contains("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff/128"));
    // The last row is painted on the view's last line.
    const int lastLine = table->headerHeight() + (w->listing().visibleRows() - 1) * table->rowHeight() + 1;
    EXPECT_EQ(table->rowAt(lastLine), std::optional<classless::u128>(kAll));
    QTest::keyClick(table, Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(table->rowAt(table->headerHeight() + 1), std::optional<classless::u128>(0));
    // Dragging the bar to its middle shows rows near 2^127.
    bar->setValue(classless::kScrollSteps / 2);
    EXPECT_EQ(w->listing().top() >> 120, 0x7fu);

    jump->clear();
    QTest::keyClicks(jump, "170141183460469231731687303715884105727");  // 2^127 - 1
    QTest::keyClick(jump, Qt::Key_Return);
    EXPECT_EQ(w->listing().cells(w->listing().current())[1], "7fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff/128");
    jump->clear();
    QTest::keyClicks(jump, "8000::1");
    QTest::keyClick(jump, Qt::Key_Return);
    EXPECT_EQ(w->listing().current(), (static_cast<classless::u128>(1) << 127) + 1);
    EXPECT_FALSE(child<QLabel>("ListingMessage")->isVisible());

    // Ctrl+A on 2^128 rows refuses in the window; a small listing copies as TAB-separated text.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(child<QLabel>("ListingMessage")->isVisible());
    EXPECT_TRUE(child<QLabel>("ListingMessage")->text().contains("too many to select"));
    split("192.168.0.0/24", "26");
    QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "0\t192.168.0.0/26\t192.168.0.1\t192.168.0.62\t192.168.0.63\n"
                                                 "1\t192.168.0.64/26\t192.168.0.65\t192.168.0.126\t192.168.0.127\n"
                                                 "2\t192.168.0.128/26\t192.168.0.129\t192.168.0.190\t192.168.0.191\n"
                                                 "3\t192.168.0.192/26\t192.168.0.193\t192.168.0.254\t192.168.0.255\n");
}

TEST_F(ClasslessWindowTest, SaveWritesCsvOrTextAndPrintPrintsTheResults)
{
    split("10.0.0.0/16", "30");
    main->mdiArea()->setActiveSubWindow(main->subWindow(kClasslessWindowName));
    // "CSV" chosen and no extension typed: a CSV file, named .csv.
    const QString csv = dir.filePath("listing.csv");
    w->csvTarget().setFileChooser([this](const std::string&) {
        return classless::SaveChoice{dir.filePath("listing").toStdString(), 1};
    });
    main->saveopt();
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("index,network,first,last,broadcast\r\n0,10.0.0.0/30,10.0.0.1,10.0.0.2,10.0.0.3\r\n"));
    EXPECT_TRUE(bytes.endsWith("16383,10.0.255.252/30,10.0.255.253,10.0.255.254,10.0.255.255\r\n"));
    ASSERT_FALSE(services.messages.empty());
    EXPECT_EQ(services.messages.back().text, "File Successfully Written");
    // "Excel Workbooks" chosen: a workbook, named .xlsx.
    services.messages.clear();
    w->csvTarget().setFileChooser([this](const std::string&) {
        return classless::SaveChoice{dir.filePath("listing").toStdString(), 2};
    });
    main->saveopt();
    QFile book(dir.filePath("listing.xlsx"));
    ASSERT_TRUE(book.open(QIODevice::ReadOnly));
    EXPECT_TRUE(book.readAll().startsWith("PK\x03\x04"));  // a zip, as .xlsx is (its cells: save_test.cpp)
    ASSERT_FALSE(services.messages.empty());
    EXPECT_EQ(services.messages.back().text, "File Successfully Written");

    // Printed: every line whole (wrapped at the page's edge), addresses without ligatures.
    type("10.0.0.0/17");
    QString text = pdfText(dir.filePath("results.pdf"));
    EXPECT_TRUE(text.contains("Maskquill Classless Calculator"));
    EXPECT_TRUE(text.contains("Network: 10.0.0.0/17"));
    EXPECT_TRUE(text.contains("Registry: Private-Use, RFC 1918, not globally reachable"));
    EXPECT_EQ(services.messages.back().text, "Results Successfully Printed");
    const QString flat = text.simplified();
    for (int zone = 0; zone < 128; ++zone)
        EXPECT_TRUE(flat.contains(QStringLiteral("%1.0.10.in-addr.arpa").arg(zone))) << zone;
    type("2001:db8:ffff:ff00::1/64");
    text = pdfText(dir.filePath("v6.pdf"));
    EXPECT_FALSE(text.contains(QChar(0xFB00)) || text.contains(QChar(0xFB01)));
    EXPECT_TRUE(text.contains("Netmask: ffff:ffff:ffff:ffff::"));
    EXPECT_TRUE(text.contains("Address: 2001:db8:ffff:ff00::1"));

    // The other windows keep their refusals.
    main->Toolbar1_ButtonClick(4);
    main->saveopt();
    EXPECT_EQ(services.messages.back().text, "The Bin/Dec/Hex calculator does not support the Save option");
}

// A listing's length outlives an emptied box: the next prefix typed is listed
// at it, where it fits, as when the new text is typed over the old.
TEST_F(ClasslessWindowTest, EmptiedBoxKeepsTheListingLength)
{
    split("10.0.0.0/16", "24");
    struct Step {
        const char* typed;  // into the emptied box, key by key
        const char* count;  // the listing's count line; nullptr when none is shown
    } steps[] = {
        {"192.168.0.0/20", "16 subnets /24 of 192.168.0.0/20"}, {"10.1.2.0/25", nullptr},  // /24 does not fit a /25
        {"172.16.0.0/23", "2 subnets /24 of 172.16.0.0/23"},    {"2001:db8::/32", nullptr},
        {"10.9.0.0/22", "4 subnets /24 of 10.9.0.0/22"},
    };
    for (const Step& step : steps) {
        type(QString::fromLatin1(step.typed));
        EXPECT_EQ(w->listing().shown(), step.count != nullptr) << step.typed;
        if (step.count) {
            EXPECT_EQ(child<QLabel>("ListingCount")->text().toStdString(), step.count);
        }
    }
}

// On either page Tab goes round the whole window, back to the box, and
// Shift+Tab the other way: never round one page alone.
TEST_F(ClasslessWindowTest, TabGoesRoundTheWholeWindowOnEitherPage)
{
    type("10.1.2.3/22");
    QLineEdit* input = child<QLineEdit>("Input");
    auto* tabs = child<QTabWidget>("Tools");
    auto shown = [](QWidget* f) {
        while (f && f->objectName().startsWith("qt_") && !qobject_cast<QTabBar*>(f) && f->parentWidget())
            f = f->parentWidget();  // a spin box's inner line edit stands for the spin box
        return f;
    };
    for (int page = 0; page < tabs->count(); ++page)
        for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            tabs->setCurrentIndex(page);
            input->setFocus();
            QStringList seen;
            bool back = false;
            for (int i = 0; i < 80 && !back; ++i) {
                QTest::keyClick(QApplication::focusWidget(), key);
                QWidget* f = shown(QApplication::focusWidget());
                back = f == input;
                seen << (f ? f->objectName() : QStringLiteral("(none)"));
            }
            const std::string trail = seen.join(' ').toStdString();
            EXPECT_TRUE(back) << "page " << page << ": " << trail;
            EXPECT_EQ(seen.count(QStringLiteral("qt_tabwidget_tabbar")), 1) << "page " << page << ": " << trail;
            // The page's last control is a step away from the box, either way.
            const QString last = page == 0 ? QStringLiteral("Listing") : QString();
            if (!last.isEmpty() && seen.size() >= 2) {
                EXPECT_EQ(key == Qt::Key_Tab ? seen[seen.size() - 2] : seen.front(), last) << trail;
            }
        }
}

TEST_F(ClasslessWindowTest, KeyboardReachesEveryControlAndF1OpensItsSection)
{
    // Tab reaches every control in the window's order, each with a name for screen readers.
    type("10.1.2.3/22");
    QLineEdit* input = child<QLineEdit>("Input");
    input->setFocus();
    QStringList order;
    for (int i = 0; i < 60; ++i) {
        QWidget* f = QApplication::focusWidget();
        while (f && f->objectName().startsWith("qt_") && f->parentWidget())
            f = f->parentWidget();  // a spin box's inner line edit stands for the spin box
        if (!f || !w->isAncestorOf(f) || (i > 0 && f == input))
            break;
        EXPECT_FALSE(f->accessibleName().isEmpty())
            << f->metaObject()->className() << " " << f->objectName().toStdString();
        order << f->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order.mid(0, 6), (QStringList{"Input", "PrefixSpin", "PrefixSlider", "Mask", "Address", "Expanded"}))
        << order.join(' ').toStdString();
    EXPECT_LT(order.indexOf("MaskBinary"), order.indexOf("Tools"));  // Tab stops on the page titles
    EXPECT_LT(order.indexOf("Tools"), order.indexOf("SplitLength"));
    EXPECT_LT(order.indexOf("MaskBinary"), order.indexOf("SplitLength"));
    EXPECT_LT(order.indexOf("SplitLength"), order.indexOf("JumpTo"));
    EXPECT_LT(order.indexOf("JumpTo"), order.indexOf("Listing"));

    // Every page from the keyboard: Ctrl+PageDown and Ctrl+PageUp, and each title's mnemonic.
    auto* tabs = child<QTabWidget>("Tools");
    QTest::keyClick(input, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    for (int i = 0; i < tabs->count(); ++i) {
        const QString title = tabs->tabText(i);
        const qsizetype amp = title.indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << title.toStdString();
        tabs->setCurrentIndex(1 - i);
        input->setFocus();
        QTest::keyClick(input, title.at(amp + 1).toLower().toLatin1(), Qt::AltModifier);
        EXPECT_EQ(tabs->currentIndex(), i) << title.toStdString();
    }

    // F1 here opens the help at this window's section, not at the contents.
    const QString helpDir = QCoreApplication::applicationDirPath() + "/help";
    QDir().mkpath(helpDir);
    QFile::remove(helpDir + "/maskquill.html");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MQ_HELP_DOCUMENT), helpDir + "/maskquill.html"));
    int contents = 0;
    main->setHelpHandler([&contents](FrmMain&) { ++contents; });
    auto* helpKey = new QShortcut(QKeySequence::HelpContents, main);  // F1 everywhere, as the program has it
    helpKey->setContext(Qt::ApplicationShortcut);
    QObject::connect(helpKey, &QShortcut::activated, main, [this] { main->helpopt(); });
    QTest::keyClick(main->mdiArea(), Qt::Key_F1);  // outside the window: the contents
    EXPECT_EQ(contents, 1);
    QTest::keyClick(input, Qt::Key_F1);
    HelpWindow* help = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<HelpWindow*>(t))
            help = h;
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(contents, 1);
    QApplication::processEvents();
    QTextBrowser* view = help->browser();
    EXPECT_GT(view->verticalScrollBar()->value(), 0);
    EXPECT_EQ(view->cursorForPosition(QPoint(4, 4)).block().text(), "Classless Calculator");
    delete help;
    QFile::remove(helpDir + "/maskquill.html");
}

TEST_F(ClasslessWindowTest, ListsPageOpensFilesAndReportsOverlaps)
{
    auto* tabs = child<QTabWidget>("Tools");
    tabs->setCurrentIndex(1);
    auto* op = child<QComboBox>("Operation");
    EXPECT_FALSE(child<QPlainTextEdit>("ListB")->isEnabled());  // summarising takes A alone
    EXPECT_FALSE(child<QLineEdit>("Block")->isEnabled());
    op->setCurrentIndex(op->findData(static_cast<int>(classless::ListOperation::Overlaps)));
    EXPECT_TRUE(child<QPlainTextEdit>("ListB")->isEnabled());

    const QString a = dir.filePath("in-use.txt"), b = dir.filePath("routes.txt");
    QFile fa(a), fb(b);
    ASSERT_TRUE(fa.open(QIODevice::WriteOnly) && fb.open(QIODevice::WriteOnly));
    fa.write("10.0.0.0/24 # office\n10.0.1.0/25\n2001:db8::/48\n192.168.1.0/24\nten\n");
    fb.write("10.0.0.128/25\r\n10.0.1.0/24\r\n2001:db8::/32\r\n172.16.0.0/12\r\n");
    fa.close();
    fb.close();
    QString next;
    w->setOpenChooser([&next](char) { return next; });
    QSignalSpy shown(w, &ClasslessWindow::listsShown);
    QSignalSpy loaded(w, &ClasslessWindow::listLoaded);
    next = a;
    child<QPushButton>("OpenA")->click();
    ASSERT_TRUE(loaded.wait(60000));
    next = b;
    child<QPushButton>("OpenB")->click();
    ASSERT_TRUE(loaded.wait(60000));
    EXPECT_EQ(w->listText('B'), "10.0.0.128/25\n10.0.1.0/24\n2001:db8::/32\n172.16.0.0/12\n");
    // A result for A alone may show first when B takes longer than the typing pause to open.
    auto* out = child<LinesView>("ListsOutput");
    const QString both = "A:1:10.0.0.0/24 contains B:1:10.0.0.128/25\nA:2:10.0.1.0/25 inside B:2:10.0.1.0/24\n"
                         "A:3:2001:db8::/48 inside B:3:2001:db8::/32";
    for (int i = 0; i < 60 && out->text() != both; ++i)
        shown.wait(1000);
    EXPECT_EQ(out->text(), both);
    EXPECT_EQ(child<QLabel>("ListsCounts")->text(), "4 items in A, 4 in B, 3 overlapping pairs; 1 line not read");
    EXPECT_TRUE(child<LinesView>("ListsErrors")->text().startsWith("A line 5: ten"));
    if (const char* shot = std::getenv("MQ_SCREENSHOT_LISTS"))
        main->grab().save(QString::fromLocal8Bit(shot));

    // What is not a regular file is refused at once, and the lists stay as they were.
    next = dir.path();
    child<QPushButton>("OpenA")->click();
    ASSERT_TRUE(loaded.wait(60000));
    EXPECT_TRUE(child<QLabel>("ListsMessage")->isVisible());
    EXPECT_EQ(child<QLabel>("ListsMessage")->text(), "Could not open " + dir.path() + ": is a folder");
    // A name is quoted escaped, as text: its controls and markup are shown, never obeyed.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromUtf8("\u202e<b>x\x1b")));
    next = dir.path() + QString::fromUtf8("/\u202e<b>x\x1b");
    child<QPushButton>("OpenA")->click();
    ASSERT_TRUE(loaded.wait(60000));
    EXPECT_EQ(child<QLabel>("ListsMessage")->text(),
              "Could not open " + dir.path() + "/\\u{202e}<b>x\\x1b: is a folder");
    EXPECT_EQ(child<QLabel>("ListsMessage")->textFormat(), Qt::PlainText);
    EXPECT_TRUE(w->listText('A').startsWith("10.0.0.0/24 # office"));
}

// A long list opened goes into its box a slice at a time: meanwhile the box takes no
// typing, Open waits, and the worker is handed the whole list; the box then holds the
// text the worker was handed, whatever the file's line ends.
TEST_F(ClasslessWindowTest, LongListOpensIntoItsBoxASliceAtATime)
{
    child<QTabWidget>("Tools")->setCurrentIndex(1);
    // CR LF, LF, CR, a line separator, a paragraph separator, a no-break space before a comment
    const char* ends[] = {"\r\n", "\n", "\r", "\xe2\x80\xa8", "\xe2\x80\xa9", "\xc2\xa0# rack\n"};
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += QStringLiteral("10.%1.%2.0/24").arg(i / 256).arg(i % 256).toUtf8() + ends[i % 6];
    const QString path = dir.filePath("long.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    f.close();
    w->setOpenChooser([&path](char) { return path; });
    auto* box = child<ListBox>("ListA");
    auto* openA = child<QPushButton>("OpenA");
    struct Seen {
        int percent;
        bool readOnly, openEnabled;
        qsizetype listSize;
        QString message;
    };
    std::vector<Seen> seen;
    QObject::connect(box, &ListBox::progress, w, [&](int percent) {
        seen.push_back({percent, box->isReadOnly(), openA->isEnabled(), w->listText('A').size(),
                        child<QLabel>("ListsMessage")->text()});
    });
    QSignalSpy loaded(w, &ClasslessWindow::listLoaded);
    QSignalSpy shown(w, &ClasslessWindow::listsShown);
    openA->click();
    ASSERT_TRUE(loaded.wait(60000));
    const QString text = box->toPlainText();
    EXPECT_EQ(w->listText('A'), text);
    ASSERT_GE(seen.size(), 3u);  // started, at least one slice in between, done
    for (const Seen& s : seen) {
        if (s.percent == 100)
            continue;
        EXPECT_TRUE(s.readOnly && !s.openEnabled) << s.percent;
        EXPECT_EQ(s.listSize, text.size()) << s.percent;
        EXPECT_EQ(s.message, QStringLiteral("Putting list A into its box: %1%…").arg(s.percent));
    }
    EXPECT_EQ(seen.back().percent, 100);
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_TRUE(openA->isEnabled());
    EXPECT_FALSE(child<QLabel>("ListsMessage")->isVisible());
    EXPECT_FALSE(box->document()->isUndoAvailable());  // opening is not undone
    for (int i = 0; i < 60 && w->lists().result.itemsA != 20000; ++i)
        shown.wait(1000);
    EXPECT_EQ(w->lists().result.itemsA, 20000u);  // every kind of line end ended a line
    EXPECT_TRUE(w->lists().errors().empty());
    box->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, "10.255.0.0/16");
    EXPECT_EQ(w->listText('A'), box->toPlainText());

    // Opened again over itself: the document it replaces is let go of once the new one is in.
    QSignalSpy gone(box->document(), &QObject::destroyed);
    openA->click();
    ASSERT_TRUE(loaded.wait(60000));
    EXPECT_EQ(box->toPlainText(), text);
    EXPECT_EQ(w->listText('A'), text);
    EXPECT_TRUE(gone.count() == 1 || gone.wait(60000));
}

// A long paste goes in the same way, over the selection, the cursor after it, and one
// undo takes it back whole.
TEST_F(ClasslessWindowTest, LongPasteGoesInASliceAtATimeAndUndoesAtOnce)
{
    child<QTabWidget>("Tools")->setCurrentIndex(1);
    auto* box = child<ListBox>("ListA");
    const QString before = "192.168.0.0/24\nten\n172.16.0.0/12\n";
    box->setPlainText(before);
    QTextCursor c = box->textCursor();
    c.setPosition(15);
    c.setPosition(18, QTextCursor::KeepAnchor);  // "ten"
    box->setTextCursor(c);
    QString pasted;
    for (int i = 0; i < 20000; ++i)
        pasted += QStringLiteral("10.%1.%2.0/24\r\n").arg(i / 256).arg(i % 256);
    ASSERT_GT(pasted.size(), kSlicedPasteChars);
    QApplication::clipboard()->setText(pasted);
    QSignalSpy filled(box, &ListBox::filled);
    QSignalSpy shown(w, &ClasslessWindow::listsShown);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(box->isReadOnly());
    QTest::keyClicks(box, "typed");  // does not get in while the paste goes in
    ASSERT_TRUE(filled.wait(60000));
    const QString lf = pasted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString after = "192.168.0.0/24\n" + lf + "\n172.16.0.0/12\n";
    EXPECT_EQ(box->toPlainText(), after);
    EXPECT_EQ(w->listText('A'), after);
    EXPECT_EQ(box->textCursor().position(), 15 + lf.size());
    for (int i = 0; i < 60 && w->lists().result.itemsA != 20002; ++i)
        shown.wait(1000);
    EXPECT_EQ(w->lists().result.itemsA, 20002u);
    box->undo();
    EXPECT_EQ(box->toPlainText(), before);
    EXPECT_EQ(w->listText('A'), before);
}

// At the size it opens at, an IPv6 result shows whole, and a field tabbed into keeps
// its caption in view.
TEST(ClasslessWindowSize, IPv6ResultFitsAtTheOpeningSize)
{
    ClasslessWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* input = w.findChild<QLineEdit*>("Input");
    QTest::keyClicks(input, "2001:db8:85a3:1234:5678:8a2e:370:7334/64");
    QApplication::processEvents();
    for (const char* name : {"Address", "Expanded", "Network", "Last", "ReversePointer", "AddressHex", "MaskHex"}) {
        auto* box = w.findChild<QLineEdit*>(name);
        const int room = box->contentsRect().width() - 6;  // the line edit's own text margins
        EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()), room) << name << " " << box->text().toStdString();
    }
    if (const char* shot = std::getenv("MQ_SCREENSHOT_V6"))
        w.grab().save(QString::fromLocal8Bit(shot));
    auto* results = w.findChild<QScrollArea*>("Results");
    auto* pointer = w.findChild<QLineEdit*>("ReversePointer");
    pointer->setFocus(Qt::TabFocusReason);
    QTest::keyClick(pointer, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), pointer);
    EXPECT_EQ(results->horizontalScrollBar()->value(), 0);
    const QWidget* caption = nullptr;
    for (auto* l : w.findChildren<QLabel*>())
        if (l->buddy() == pointer)
            caption = l;
    ASSERT_NE(caption, nullptr);
    const QRect shown(caption->mapTo(results->viewport(), QPoint(0, 0)), caption->size());
    EXPECT_TRUE(results->viewport()->rect().contains(shown));
}

}  // namespace
}  // namespace mq::ui
