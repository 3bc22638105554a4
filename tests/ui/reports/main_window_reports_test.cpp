// Save and Print from the main window's File menu, with the real calculator,
// VLSM, converter and lists windows as the active child window.
#include "reports/results_report.h"
#include "tests/support/fake_services.h"
#include "tests/support/qt_files.h"
#include "ui/Form10/form10.h"
#include "ui/bindec/bindec.h"
#include "ui/clist/clist.h"
#include "ui/frmMain/frm_main.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/macconv/macconv.h"
#include "ui/reports/main_window_reports.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace mq::ui {
namespace {

using test::readFile;

using test::Message;

class MemorySettings : public SettingsStore {
public:
    std::map<QString, QString> values;
    void saveSetting(const QString& app, const QString& section, const QString& key, const QString& value) override
    {
        values[app + "/" + section + "/" + key] = value;
    }
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& def) const override
    {
        auto it = values.find(app + "/" + section + "/" + key);
        return it == values.end() ? def : it->second;
    }
};

class MainWindowSaveAndPrint : public ::testing::Test {
protected:
    QTemporaryDir dir;
    CalculatorState state;
    MemorySettings settings;
    test::FakeServices services;
    FrmMain* main = nullptr;
    MainWindowReports* reports = nullptr;

    void SetUp() override
    {
        main = new FrmMain(state, settings);
        main->setCalculatorServices(&services);
        main->registerTool(4, "bindec", [this] { return new Bindec(nullptr, &services); });
        main->registerTool(5, "macconv", [this] { return new Macconv(nullptr, &services); });
        main->registerTool(6, "clist", [this] { return new Clist(nullptr, &services); });
        main->registerTool(7, "Form10", [this] { return new Form10(nullptr, &services); });
        main->registerWindow("dar", [] { return new QWidget; });
        reports = new MainWindowReports(*main, &services);
        main->show();
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    }
    void TearDown() override
    {
        delete main;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        for (QWidget* t : QApplication::topLevelWidgets())
            ADD_FAILURE() << "top-level window left: " << t->metaObject()->className() << " "
                          << t->objectName().toStdString();
    }
    void activate(const QString& name)
    {
        main->showWindow(name);
        QMdiSubWindow* sub = main->subWindow(name);
        ASSERT_NE(sub, nullptr) << name.toStdString();
        main->mdiArea()->setActiveSubWindow(sub);
        ASSERT_EQ(main->activeChildName(), name);
    }
    // The calculator, typed into and chosen from as a user would.
    Frmdoc* calculate(const char* const (&octets)[4], const QString& mask)
    {
        main->Toolbar1_ButtonClick(3);
        Frmdoc* doc = main->calculator();
        EXPECT_NE(doc, nullptr);
        for (int i = 0; i < 4; ++i)
            QTest::keyClicks(doc->octetField(i), QString::fromLatin1(octets[i]));
        QComboBox* masks = doc->choiceBox(1);
        const int row = masks->findText(mask);
        EXPECT_GE(row, 0) << mask.toStdString();
        masks->setCurrentIndex(row);
        emit masks->activated(row);
        QTest::mouseClick(doc->findChild<QPushButton*>("SSCommand1"), Qt::LeftButton);
        main->mdiArea()->setActiveSubWindow(main->subWindow("frmdoc"));
        return doc;
    }
    void printToPdf(const QString& file, int copies)
    {
        reports->output().setPrintDialog([file, copies](QPrinter& p) -> std::optional<int> {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(file);
            return copies;
        });
    }
    QStringList pdfLines(const QString& pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    }
};

TEST_F(MainWindowSaveAndPrint, CalculatorReportFromWhatTheWindowShows)
{
    Frmdoc* doc = calculate({"192", "168", "010", "105"}, QStringLiteral("255.255.255.252"));
    const QString file = dir.filePath(QStringLiteral("calc"));
    services.saveAnswers.push_back(file.toStdString());
    main->findChild<QAction*>("Save")->trigger();

    EXPECT_EQ(services.saveFilters, std::vector<std::string>{"Text Files (*.txt)|*.txt|"});
    EXPECT_EQ(services.messages,
              (std::vector<Message>{{"File Successfully Written", MsgIcon::Information, "Print OK"}}));
    const std::string bytes = readFile(file);
    // The address line repeats the boxes as typed, the rest the panels and grid.
    EXPECT_NE(bytes.find("\r\nTCP/IP Host Address chosen: 192.168.010.105\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nSubnet Range ending address: " + doc->resultPanel(1)->text().toStdString() + "\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("\r\nClass of Address: " + doc->classBox()->text().toStdString() + "\r\n"), std::string::npos);
    EXPECT_EQ(bytes, crlfText(calculatorFileLines(calculatorReportInput(doc->model()))));
    // Grid rows: four TABs each, the heading line not counted.
    int rows = 0;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = bytes.substr(start, end - start);
        rows += std::count(line.begin(), line.end(), '\t') == 4 && line.rfind("Subnet\t", 0) != 0;
    }
    EXPECT_EQ(rows, 37);
}

TEST_F(MainWindowSaveAndPrint, CalculatorPrintsThreeCopiesFromTheToolbar)
{
    calculate({"192", "168", "10", "105"}, QStringLiteral("255.255.255.252"));
    const QString pdf = dir.filePath(QStringLiteral("calc.pdf"));
    printToPdf(pdf, 3);
    main->Toolbar1_ButtonClick(10);
    EXPECT_EQ(services.messages,
              (std::vector<Message>(3, {"Results Successfully Printed", MsgIcon::Information, "Print OK"})));
    EXPECT_EQ(pdfLines(pdf).filter(QStringLiteral("TCP/IP Host Address chosen: 192.168.10.105")).size(), 3);
    EXPECT_EQ(pdfLines(pdf).filter(QStringLiteral("62 192.168.10.248 192.168.10.249")).size(), 3);
}

TEST_F(MainWindowSaveAndPrint, VlsmReportFromTheAssistant)
{
    activate("Form10");
    auto* vlsm = qobject_cast<Form10*>(main->activeChild());
    ASSERT_NE(vlsm, nullptr);
    Form10Model& m = vlsm->model();
    m.Text1[0].text = "192";
    m.Text1[1].text = "168";
    m.Text1[2].text = "1";
    m.SSCommand1_Click();
    m.Combo1.setText("2");
    m.SSCommand1_Click();
    m.Text2[0].text = "20";
    m.Text2[1].text = "5";
    m.SSCommand1_Click();
    vlsm->refresh();

    const QString file = dir.filePath(QStringLiteral("vlsm.txt"));
    services.saveAnswers.push_back(file.toStdString());
    main->Save_Click();
    EXPECT_EQ(readFile(file), crlfText(vlsmFileLines(vlsm->resultLines())));
    EXPECT_NE(readFile(file).find("\r\nSubnet 1 lower address is 192.168.1.129\r\n"), std::string::npos);

    const QString pdf = dir.filePath(QStringLiteral("vlsm.pdf"));
    printToPdf(pdf, 1);
    main->Print_Click();
    EXPECT_TRUE(pdfLines(pdf).contains(QStringLiteral("Subnet mask for segment 2 is 255.255.255.248")));
    EXPECT_EQ(services.messages.size(), 2u);
}

struct Refusal {
    const char* window;
    const char* shownAs;
};

class Refusals : public MainWindowSaveAndPrint, public ::testing::WithParamInterface<Refusal> { };

TEST_P(Refusals, WindowsWithoutReports)
{
    calculate({"192", "168", "10", "105"}, QStringLiteral("255.255.255.252"));
    activate(GetParam().window);
    main->Save_Click();
    main->Print_Click();
    const std::string w = GetParam().shownAs;
    EXPECT_EQ(services.messages,
              (std::vector<Message>{{"The " + w + " does not support the Save option", MsgIcon::None, "Maskquill"},
                                    {"The " + w + " does not support the Print option", MsgIcon::None, "Maskquill"}}));
    EXPECT_TRUE(services.saveFilters.empty());
}

INSTANTIATE_TEST_SUITE_P(Reports, Refusals,
                         ::testing::Values(Refusal{"bindec", "Bin/Dec/Hex calculator"},
                                           Refusal{"macconv", "Mac Converter"}, Refusal{"clist", "Common Lists"},
                                           Refusal{"dar", "current active window"}),
                         [](const auto& info) { return std::string(info.param.window); });

TEST_F(MainWindowSaveAndPrint, NoChildWindowNoAnswer)
{
    main->Save_Click();
    main->Print_Click();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.saveFilters.empty());
}

// Done hides a tool; Save and Print then go to the topmost window that still
// shows, and say nothing once none shows.
TEST_F(MainWindowSaveAndPrint, ToolsPutAwayByDoneAreNotAsked)
{
    main->Toolbar1_ButtonClick(3);
    QTest::keyClicks(main->calculator()->octetField(0), QStringLiteral("192"));
    for (const char* tool : {"macconv", "Form10"}) {
        activate(QString::fromLatin1(tool));
        QTest::mouseClick(main->findWindow(QString::fromLatin1(tool))->findChild<QPushButton*>("SSCommand2"),
                          Qt::LeftButton);
        ASSERT_FALSE(main->subWindow(QString::fromLatin1(tool))->isVisible()) << tool;
    }
    EXPECT_EQ(main->activeChildName(), "frmdoc");
    printToPdf(dir.filePath(QStringLiteral("none.pdf")), 1);
    main->Print_Click();
    main->Save_Click();
    EXPECT_EQ(services.messages, (std::vector<Message>{{"Nothing to Print", MsgIcon::Information, "Oops"}}));
    EXPECT_EQ(services.saveFilters.size(), 1u);  // the calculator's file dialog, cancelled

    services.messages.clear();
    main->subWindow("frmdoc")->hide();
    EXPECT_EQ(main->activeChild(), nullptr);
    main->Print_Click();
    main->Save_Click();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(services.saveFilters.size(), 1u);
}

TEST_F(MainWindowSaveAndPrint, NothingToPrintTwiceForTwoCopies)
{
    main->Toolbar1_ButtonClick(3);
    QTest::keyClicks(main->calculator()->octetField(0), QStringLiteral("192"));
    main->mdiArea()->setActiveSubWindow(main->subWindow("frmdoc"));
    const QString pdf = dir.filePath(QStringLiteral("none.pdf"));
    printToPdf(pdf, 2);
    main->Print_Click();
    EXPECT_EQ(services.messages, (std::vector<Message>(2, {"Nothing to Print", MsgIcon::Information, "Oops"})));
    EXPECT_FALSE(QFile::exists(pdf));
}

}  // namespace
}  // namespace mq::ui
