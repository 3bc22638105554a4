// Reports written through QSaveFile and printed to PDF through QPrinter, read
// back from the disk and with pdftotext.
#include "reports/frmmain_reports.h"
#include "reports/tool_report.h"
#include "tests/reports/report_fixtures.h"
#include "tests/support/qt_files.h"
#include "ui/reports/qt_report_output.h"
#include "vlsm/form10_model.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace mq::test {
namespace {

const Message kWritten{"File Successfully Written", MsgIcon::Information, "Print OK"};
const Message kPrinted{"Results Successfully Printed", MsgIcon::Information, "Print OK"};

QString run(const QString& program, const QStringList& args)
{
    const QString exe = QStandardPaths::findExecutable(program);
    EXPECT_FALSE(exe.isEmpty()) << program.toStdString() << " is not installed (poppler-utils)";
    if (exe.isEmpty())
        return {};
    QProcess p;
    p.start(exe, args);
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

using Words = std::vector<std::string>;

Words words(const QString& text)
{
    Words out;
    for (const QString& w : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        out.push_back(w.toStdString());
    return out;
}

Words words(const std::vector<PrintLine>& lines)
{
    Words all;
    for (const auto& l : lines) {
        Words w = words(QString::fromStdString(l.text));
        all.insert(all.end(), w.begin(), w.end());
    }
    return all;
}

Words times(const Words& w, int n)
{
    Words out;
    for (int i = 0; i < n; ++i)
        out.insert(out.end(), w.begin(), w.end());
    return out;
}

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    QString text;
};

std::vector<Word> bboxWords(const QString& pdf)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression tag(QStringLiteral(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    std::vector<Word> out;
    int page = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        out.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                       m.captured(4).toDouble(), m.captured(5)});
    }
    // Reading order as on paper: page, then line from the top, then left to right.
    std::stable_sort(out.begin(), out.end(), [](const Word& a, const Word& b) {
        if (a.page != b.page)
            return a.page < b.page;
        if (std::abs(a.yMin - b.yMin) > 0.5)
            return a.yMin < b.yMin;
        return a.xMin < b.xMin;
    });
    return out;
}

class QtReports : public ::testing::Test {
protected:
    QTemporaryDir dir;
    CalculatorWindow calc;
    std::vector<std::string> vlsmList;
    FakeServices services;
    ui::QtReportOutput output;
    FrmMainReports reports{services, output};

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // For looking at the printouts by eye.
        if (qEnvironmentVariableIsSet("MQ_KEEP_TEST_FILES")) {
            dir.setAutoRemove(false);
            std::printf("files kept in %s\n", qPrintable(dir.path()));
        }
        reports.calculatorInput = [this] { return calculatorReportInput(calc.model); };
        reports.vlsmInput = [this] { return vlsmList; };
    }
    void TearDown() override
    {
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass left on";
        for (QWidget* w : QApplication::topLevelWidgets())
            ADD_FAILURE() << "top-level window left open: " << w->metaObject()->className();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void calculate(int rows)
    {
        if (rows == 37) {
            calc.type({"192", "168", "10", "105"});
            calc.chooseMask("255.255.255.252");
        } else {
            calc.type({"172", "16", "5", "10"});
            calc.chooseMask("255.255.255.0");
        }
    }
    // The print dialog answered with a PDF file and a number of copies.
    void printToPdf(const QString& file, int copies)
    {
        output.setPrintDialog([file, copies](QPrinter& p) -> std::optional<int> {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(file);
            p.setCopyCount(copies);
            return copies;
        });
    }
    std::vector<PrintLine> calculatorPrintout() const
    {
        return calculatorPrintLines(calculatorReportInput(calc.model));
    }
};

TEST_F(QtReports, SaveWritesTheReportWithCrLfAndOverwrites)
{
    calculate(37);
    const QString file = path(QStringLiteral("subnet results"));  // no extension is added
    writeFile(file, std::string(10000, 'x'));  // longer than the report
    services.saveAnswers.push_back(file.toStdString());
    reports.saveopt(std::string("frmdoc"));
    EXPECT_EQ(services.messages, std::vector<Message>{kWritten});
    const std::string bytes = readFile(file);
    EXPECT_EQ(bytes, crlfText(calculatorFileLines(calculatorReportInput(calc.model))));
    EXPECT_EQ(bytes.rfind("Maskquill for Win95 V5.1 ", 0), 0u);
    EXPECT_NE(bytes.find("\r\n62\t192.168.10.248\t192.168.10.249\t192.168.10.250\t192.168.10.251\r\n"),
              std::string::npos);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("subnet results")});
}

TEST_F(QtReports, NothingToWriteLeavesTheFileAlone)
{
    calc.type({"192", "168", "10", "5"});
    const QString fresh = path(QStringLiteral("new.txt"));
    const QString old = path(QStringLiteral("old.txt"));
    writeFile(old, "yesterday\r\n");
    services.saveAnswers.push_back(fresh.toStdString());
    services.saveAnswers.push_back(old.toStdString());
    reports.saveopt(std::string("frmdoc"));
    reports.saveopt(std::string("frmdoc"));
    EXPECT_EQ(services.saveFilters.size(), 2u);
    EXPECT_EQ(services.messages, (std::vector<Message>(2, {"Nothing to Write", MsgIcon::Information, "Oops"})));
    EXPECT_FALSE(QFileInfo::exists(fresh));
    EXPECT_EQ(readFile(old), "yesterday\r\n");
}

// A write that fails is reported with the file's name and the reason; the old
// file stays as it was and no success is claimed.
struct WriteFailure {
    const char* name;
    std::function<QString(const QTemporaryDir&)> target;  // "" skips the case
    bool hasOldFile;
};

class WriteFailures : public QtReports, public ::testing::WithParamInterface<WriteFailure> { };

TEST_P(WriteFailures, ReportedAndOldFileKept)
{
    calculate(50);
    const QString target = GetParam().target(dir);
    if (target.isEmpty())
        GTEST_SKIP() << "not possible on this machine";
    const std::string before = GetParam().hasOldFile ? readFile(target) : std::string();

    // A small file size limit makes the 50-row report too large to write.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const bool limitSize = std::string(GetParam().name) == "FileSizeLimit";
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (limitSize) {
        rlimit small = saved;
        small.rlim_cur = 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    services.saveAnswers.push_back(target.toStdString());
    reports.saveopt(std::string("frmdoc"));
    if (limitSize)
        setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(services.messages.size(), 1u);
    const Message& m = services.messages[0];
    EXPECT_NE(m.text.find(target.toStdString()), std::string::npos) << m.text;
    EXPECT_GT(m.text.size(), target.size() + 50) << "no reason given: " << m.text;
    EXPECT_EQ(m.icon, MsgIcon::Critical);
    EXPECT_EQ(m.title, "Maskquill");
    if (GetParam().hasOldFile) {
        EXPECT_EQ(readFile(target), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, WriteFailures,
    ::testing::Values(
        WriteFailure{"VanishedFolder",
                     [](const QTemporaryDir& d) {
                         QDir(d.path()).mkdir(QStringLiteral("gone"));
                         QDir(d.filePath(QStringLiteral("gone"))).removeRecursively();
                         return d.filePath(QStringLiteral("gone/report.txt"));
                     },
                     false},
        WriteFailure{"FileAsFolder",
                     [](const QTemporaryDir& d) {
                         writeFile(d.filePath(QStringLiteral("plain.txt")), "x");
                         return d.filePath(QStringLiteral("plain.txt/report.txt"));
                     },
                     false},
        WriteFailure{"ReadOnlyFolder",
                     [](const QTemporaryDir&) {
                         return QStringLiteral("/proc/maskquill-report-%1.txt").arg(QCoreApplication::applicationPid());
                     },
                     false},
        WriteFailure{"NameOfAFolder",
                     [](const QTemporaryDir& d) {
                         QDir(d.path()).mkdir(QStringLiteral("folder"));
                         return d.filePath(QStringLiteral("folder"));
                     },
                     false},
        WriteFailure{"FullDevice",
                     [](const QTemporaryDir& d) {
                         // A private copy of /dev/full, so nothing outside the test is at risk.
                         const QString node = d.filePath(QStringLiteral("full"));
                         if (mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 7)) != 0)
                             return QString();
                         return node;
                     },
                     false},
        WriteFailure{"FileSizeLimit",
                     [](const QTemporaryDir& d) {
                         writeFile(d.filePath(QStringLiteral("results.txt")), "the old report\r\n");
                         return d.filePath(QStringLiteral("results.txt"));
                     },
                     true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(QtReports, FullDeviceStaysADevice)
{
    calculate(37);
    const QString node = path(QStringLiteral("full"));
    if (mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 7)) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    services.saveAnswers.push_back(node.toStdString());
    reports.saveopt(std::string("frmdoc"));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("No space left on device"), std::string::npos)
        << services.messages[0].text;
    struct stat st { };
    ASSERT_EQ(stat(QFile::encodeName(node).constData(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(QtReports, NoTemporaryFileLeftAfterAFailedWrite)
{
    calculate(50);
    const QString target = path(QStringLiteral("results.txt"));
    writeFile(target, "old\r\n");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    services.saveAnswers.push_back(target.toStdString());
    reports.saveopt(std::string("frmdoc"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("results.txt")});
}

TEST_F(QtReports, ThreeCopiesPrintThreeWholeDocuments)
{
    calculate(37);
    const QString pdf = path(QStringLiteral("out.pdf"));
    printToPdf(pdf, 3);
    reports.printopt(std::string("frmdoc"));
    EXPECT_EQ(services.messages, (std::vector<Message>(3, kPrinted)));
    EXPECT_EQ(output.printer().copyCount(), 1) << "copies would be multiplied by the printer";

    const std::vector<PrintLine> doc = calculatorPrintout();
    const Words three = times(words(doc), 3);
    // -raw keeps the order in which the words were printed.
    EXPECT_EQ(words(run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")})), three);

    // Word by word with positions: the same order, every copy from the top of
    // a fresh page, lines going down the page.
    const std::vector<Word> ws = bboxWords(pdf);
    Words seen;
    for (const auto& w : ws)
        seen.push_back(w.text.toStdString());
    ASSERT_EQ(seen, three);
    std::vector<int> bannerPages;
    for (std::size_t i = 0; i < ws.size(); ++i) {
        if (i > 0 && ws[i].page == ws[i - 1].page) {
            EXPECT_GE(ws[i].yMin, ws[i - 1].yMin - 0.5) << ws[i].text.toStdString();
        }
        if (ws[i].text == QLatin1String("Maskquill") && ws[i + 1].text == QLatin1String("for")) {
            bannerPages.push_back(ws[i].page);
            EXPECT_TRUE(i == 0 || ws[i - 1].page < ws[i].page) << "a copy does not start on a new page";
        }
    }
    ASSERT_EQ(bannerPages.size(), 3u);
    EXPECT_LT(bannerPages[0], bannerPages[1]);
    EXPECT_LT(bannerPages[1], bannerPages[2]);
}

// Words of a printout read back in paper order, checked to stay on the paper.
std::vector<Word> wordsOnPaper(const QString& pdf, const QPrinter& printer)
{
    const QRectF paper = printer.pageLayout().fullRect(QPageLayout::Point);
    std::vector<Word> ws = bboxWords(pdf);
    for (const auto& w : ws) {
        EXPECT_GE(w.yMin, paper.top());
        EXPECT_LE(w.yMax, paper.bottom()) << w.text.toStdString() << " falls off page " << w.page;
        EXPECT_LE(w.xMax, paper.right()) << w.text.toStdString();
    }
    return ws;
}

TEST_F(QtReports, FiftyRowsFitOnePagePerCopy)
{
    calculate(50);
    const QString pdf = path(QStringLiteral("fifty.pdf"));
    printToPdf(pdf, 2);
    reports.printopt(std::string("frmdoc"));
    EXPECT_EQ(services.messages, (std::vector<Message>(2, kPrinted)));
    EXPECT_EQ(words(run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")})),
              times(words(calculatorPrintout()), 2));
    const std::vector<Word> ws = wordsOnPaper(pdf, output.printer());
    ASSERT_FALSE(ws.empty());
    EXPECT_EQ(ws.back().page, 2);
}

TEST_F(QtReports, LandscapeForOneJobThenClassicPortraitAgain)
{
    auto pageSize = [](const QString& pdf) {
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(info);
        return m.hasMatch() ? std::make_pair(m.captured(1).toDouble(), m.captured(2).toDouble())
                            : std::make_pair(0.0, 0.0);
    };
    const QString wide = path(QStringLiteral("wide.pdf"));
    printToPdf(wide, 1);
    printToolReport(toolPrintLines({"Wide table", std::string(150, '-')}), services, output, "Network Planner", true);
    const auto across = pageSize(wide);
    EXPECT_GT(across.first, across.second) << "landscape";

    calculate(50);
    const QString classic = path(QStringLiteral("classic.pdf"));
    printToPdf(classic, 1);
    reports.printopt(std::string("frmdoc"));
    const auto down = pageSize(classic);
    EXPECT_LT(down.first, down.second) << "portrait";
}

TEST_F(QtReports, LongListRunsOntoFurtherPages)
{
    // Thirty segments of two hosts: more lines than one page holds.
    Form10Model vlsm(services);
    vlsm.Form_Load();
    vlsm.Text1[0].text = "192";
    vlsm.Text1[1].text = "168";
    vlsm.Text1[2].text = "1";
    vlsm.SSCommand1_Click();
    vlsm.Combo1.setText("30");
    vlsm.SSCommand1_Click();
    for (auto& box : vlsm.Text2)
        box.text = "2";
    vlsm.SSCommand1_Click();
    vlsmList = vlsmReportInput(vlsm);
    ASSERT_GT(vlsmList.size(), 150u);

    const QString pdf = path(QStringLiteral("long.pdf"));
    printToPdf(pdf, 2);
    reports.printopt(std::string("Form10"));
    EXPECT_EQ(services.messages, (std::vector<Message>(2, kPrinted)));
    EXPECT_EQ(words(run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")})),
              times(words(vlsmPrintLines(vlsmList)), 2));
    const std::vector<Word> ws = wordsOnPaper(pdf, output.printer());
    ASSERT_FALSE(ws.empty());
    // The second copy starts at the top of a page of its own.
    int secondStart = 0;
    for (std::size_t i = 1; i < ws.size(); ++i)
        if (ws[i].text == QLatin1String("Maskquill") && ws[i + 1].text == QLatin1String("for"))
            secondStart = ws[i].page;
    EXPECT_GT(secondStart, 2) << "the first copy should take more than one page";
    EXPECT_GT(ws.back().page, secondStart);
    for (std::size_t i = 1; i < ws.size(); ++i)
        if (ws[i].page == secondStart && ws[i - 1].page != secondStart) {
            EXPECT_EQ(ws[i].text, QLatin1String("Maskquill"));
        }
}

TEST_F(QtReports, PrintoutFontsAndPlaces)
{
    calculate(37);
    const QString pdf = path(QStringLiteral("one.pdf"));
    printToPdf(pdf, 1);
    reports.printopt(std::string("frmdoc"));
    const std::vector<Word> ws = bboxWords(pdf);
    auto find = [&](const QString& text) -> const Word* {
        for (const auto& w : ws)
            if (w.text == text)
                return &w;
        return nullptr;
    };
    const Word* banner = find(QStringLiteral("Maskquill"));
    const Word* regular = find(QStringLiteral("TCP/IP"));
    const Word* grid = find(QStringLiteral("Broadcast"));
    ASSERT_TRUE(banner && regular && grid);
    const double h12 = banner->yMax - banner->yMin, h10 = regular->yMax - regular->yMin, h8 = grid->yMax - grid->yMin;
    EXPECT_NEAR(h10 / h12, 10.0 / 12.0, 0.08);
    EXPECT_NEAR(h8 / h12, 8.0 / 12.0, 0.08);

    // Every line starts at the same left edge, 1 cm (28.35 pt) inside the
    // printable area, and the first line 1 cm below its top.
    const QPageLayout layout = output.printer().pageLayout();
    const double leftPt = layout.paintRect(QPageLayout::Point).left() + 567 / 20.0;
    EXPECT_NEAR(banner->xMin, leftPt, 1.5);
    EXPECT_NEAR(regular->xMin, leftPt, 1.5);
    EXPECT_GT(banner->yMin, layout.paintRect(QPageLayout::Point).top() + 567 / 20.0 - 1);
    EXPECT_LT(banner->yMin, layout.paintRect(QPageLayout::Point).top() + 567 / 20.0 + 14);

    // Grid columns line up: in every row each column starts where it starts
    // in the first row, left to right.
    std::vector<std::array<double, 5>> rows;
    for (std::size_t i = 0; i + 4 < ws.size(); ++i) {
        bool isNumber = false;
        ws[i].text.toInt(&isNumber);
        if (isNumber && ws[i + 1].text.startsWith(QLatin1String("192.168.10.")) && ws[i + 4].page == ws[i].page &&
            std::abs(ws[i + 4].yMin - ws[i].yMin) < 0.5)
            rows.push_back({ws[i].xMin, ws[i + 1].xMin, ws[i + 2].xMin, ws[i + 3].xMin, ws[i + 4].xMin});
    }
    ASSERT_EQ(rows.size(), 37u);
    for (std::size_t c = 1; c < 5; ++c)
        EXPECT_GT(rows[0][c], rows[0][c - 1] + 30);
    for (const auto& r : rows)
        for (std::size_t c = 0; c < 5; ++c)
            EXPECT_NEAR(r[c], rows[0][c], 0.5);

    // Bold for the banner, italic for the two headings, regular for the rest.
    const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
    EXPECT_TRUE(fonts.contains(QLatin1String("Bold"))) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains(QLatin1String("Oblique")) || fonts.contains(QLatin1String("Italic")))
        << fonts.toStdString();
}

TEST_F(QtReports, VlsmPrintout)
{
    vlsmList = {"",
                "Number of segments chosen is 1",
                "",
                "Segment 1 has 5 hosts",
                "",
                "Subnet 1 lower address is 192.168.1.129",
                "Subnet 1 upper address is 192.168.1.134",
                "Subnet mask for segment 1 is 255.255.255.248",
                ""};
    const QString pdf = path(QStringLiteral("vlsm.pdf"));
    printToPdf(pdf, 2);
    reports.printopt(std::string("Form10"));
    EXPECT_EQ(services.messages, (std::vector<Message>(2, kPrinted)));
    EXPECT_EQ(words(run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")})),
              times(words(vlsmPrintLines(vlsmList)), 2));
}

TEST_F(QtReports, NothingToPrintMakesNoDocument)
{
    calc.type({"192", "168", "10", "5"});
    const QString pdf = path(QStringLiteral("none.pdf"));
    printToPdf(pdf, 2);
    reports.printopt(std::string("frmdoc"));
    EXPECT_EQ(services.messages, (std::vector<Message>(2, {"Nothing to Print", MsgIcon::Information, "Oops"})));
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(QtReports, PrinterThatCannotStartIsReported)
{
    calculate(37);
    const QString pdf = path(QStringLiteral("missing/out.pdf"));
    printToPdf(pdf, 3);
    reports.printopt(std::string("frmdoc"));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].icon, MsgIcon::Critical);
    EXPECT_NE(services.messages[0].text.find(pdf.toStdString()), std::string::npos) << services.messages[0].text;
    EXPECT_NE(services.messages[0].text.find("No such file or directory"), std::string::npos)
        << services.messages[0].text;
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(QtReports, CancelledPrintDialog)
{
    calculate(37);
    output.setPrintDialog([](QPrinter&) { return std::optional<int>(); });
    reports.printopt(std::string("frmdoc"));
    EXPECT_TRUE(services.messages.empty());
}

// The real print dialog: the copies asked for there are read back and the
// printer itself is left at one copy, since each copy is printed as a document.
TEST_F(QtReports, RealPrintDialogGivesItsCopies)
{
    calculate(37);
    const QString pdf = path(QStringLiteral("dialog.pdf"));
    output.printer().setOutputFormat(QPrinter::PdfFormat);
    output.printer().setOutputFileName(pdf);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        if (const QByteArray shots = qgetenv("MQ_SCREENSHOT_DIR"); !shots.isEmpty())
            dialog->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/print_dialog.png"));
        auto* copies = dialog->findChild<QSpinBox*>(QStringLiteral("copies"));
        ASSERT_NE(copies, nullptr);
        copies->setValue(2);
        dialog->accept();
    });
    reports.printopt(std::string("frmdoc"));
    EXPECT_TRUE(seen);
    EXPECT_EQ(services.messages, (std::vector<Message>(2, kPrinted)));
    EXPECT_EQ(output.printer().copyCount(), 1);
    EXPECT_EQ(words(run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")})),
              times(words(calculatorPrintout()), 2));

    // Cancelled: nothing printed, nothing said.
    services.messages.clear();
    QFile::remove(pdf);
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            qobject_cast<QDialog*>(dialog)->reject();
    });
    reports.printopt(std::string("frmdoc"));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

struct TabCase {
    std::vector<double> widths;
    std::vector<double> expected;
};

class TabStops : public ::testing::TestWithParam<TabCase> { };

TEST_P(TabStops, FieldsStartAtTheNextStop)
{
    EXPECT_EQ(ui::tabPositions(GetParam().widths), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Reports, TabStops,
                         ::testing::Values(TabCase{{300, 900, 900, 900, 900}, {0, 1000, 2750, 4500, 6250}},
                                           TabCase{{950, 10}, {0, 2750}},  // too close to the first stop
                                           TabCase{{100, 3000, 10}, {0, 1000, 4500}},  // long field skips a stop
                                           TabCase{{}, {}}, TabCase{{500}, {0}}));

}  // namespace
}  // namespace mq::test
