#include "convert/bindec_model.h"
#include "convert/macconv_model.h"
#include "tests/support/fake_services.h"
#include "ui/help/help_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <gtest/gtest.h>

#include <set>

namespace mq::ui {
namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void expectNoWindowLeft()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* w : QApplication::topLevelWidgets())
        ADD_FAILURE() << "top-level window left: " << w->metaObject()->className();
}

TEST(HelpDocument, FirstFolderHoldingItWins)
{
    QTemporaryDir tmp;
    const QString a = tmp.filePath("a"), b = tmp.filePath("b"), c = tmp.filePath("c");
    writeFile(b + "/maskquill.html", "<p>b</p>");
    writeFile(c + "/maskquill.html", "<p>c</p>");
    QDir().mkpath(a + "/maskquill.html");  // a folder of that name is no document
    EXPECT_EQ(findHelpDocument({a, b, c}), QFileInfo(b + "/maskquill.html").absoluteFilePath());
    EXPECT_EQ(findHelpDocument({a}), "");
    EXPECT_EQ(findHelpDocument({}), "");
}

TEST(HelpDocument, SearchPathsStartNextToTheProgram)
{
    const QStringList paths = helpSearchPaths();
    ASSERT_GE(paths.size(), 3);
    const QString app = QCoreApplication::applicationDirPath();
    EXPECT_EQ(paths[0], QDir::cleanPath(app + "/help"));
    EXPECT_EQ(paths[1], QDir::cleanPath(app + "/../share/maskquill/help"));
}

TEST(HelpWindow, OpensTheDocumentAtItsContents)
{
    QTemporaryDir tmp;
    writeFile(tmp.filePath("maskquill.html"),
              "<html><body><h1 id=\"contents\">Contents</h1><p><a href=\"#calc\">Calculator</a></p>"
              "<h2 id=\"calc\">The calculator</h2></body></html>");
    {
        HelpWindow help(nullptr, {tmp.filePath("none"), tmp.path()});
        help.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
        EXPECT_TRUE(help.showContents());
        EXPECT_TRUE(help.documentFound());
        EXPECT_EQ(help.windowTitle(), "Maskquill Help");
        EXPECT_TRUE(help.browser()->toPlainText().contains("The calculator"));

        help.browser()->setSource(QUrl::fromLocalFile(tmp.filePath("maskquill.html")).resolved(QUrl("#calc")));
        auto* back = help.findChild<QPushButton*>("back");
        EXPECT_TRUE(back->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        EXPECT_TRUE(help.findChild<QPushButton*>("forward")->isEnabled());
    }
    expectNoWindowLeft();
}

TEST(HelpWindow, ReportsAMissingDocumentAndWhereItLooked)
{
    QTemporaryDir tmp;
    {
        HelpWindow help(nullptr, {tmp.filePath("one"), tmp.filePath("two")});
        help.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
        EXPECT_FALSE(help.showContents());
        EXPECT_FALSE(help.documentFound());
        const QString text = help.browser()->toPlainText();
        EXPECT_TRUE(text.contains("maskquill.html could not be found")) << text.toStdString();
        EXPECT_TRUE(text.contains(QDir::toNativeSeparators(tmp.filePath("two"))));
        if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
            help.grab().save(QString::fromLocal8Bit(dir) + "/help-missing.png");

        // Installed afterwards: Contents finds it without reopening the window.
        writeFile(tmp.filePath("two") + "/maskquill.html", "<h1 id=\"contents\">Contents</h1>");
        QTest::mouseClick(help.findChild<QPushButton*>("contents"), Qt::LeftButton);
        EXPECT_TRUE(help.documentFound());
        EXPECT_FALSE(help.browser()->toPlainText().contains("could not be found"));
    }
    expectNoWindowLeft();
}

// The shipped document: it opens, and every link inside it leads somewhere.
TEST(HelpWindow, ShippedDocumentHasContentsAndNoBrokenLinks)
{
    QFile f(QStringLiteral(MQ_HELP_SOURCE_DIR "/maskquill.html"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    QStringList ids;
    for (const auto& m : QRegularExpression(R"re(\bid="([^"]+)")re").globalMatch(html))
        ids << m.captured(1);
    EXPECT_TRUE(ids.contains("contents"));
    int links = 0;
    for (const auto& m : QRegularExpression(R"re(href="#([^"]+)")re").globalMatch(html)) {
        ++links;
        EXPECT_TRUE(ids.contains(m.captured(1))) << "broken link #" << m.captured(1).toStdString();
    }
    EXPECT_GT(links, 5);

    HelpWindow help(nullptr, {QStringLiteral(MQ_HELP_SOURCE_DIR)});
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    EXPECT_TRUE(help.showContents());
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        help.grab().save(QString::fromLocal8Bit(dir) + "/help.png");
    EXPECT_EQ(help.browser()->verticalScrollBar()->value(), 0);

    // A link from the contents scrolls to its section; Contents goes back to the top.
    help.browser()->setSource(QUrl::fromLocalFile(QStringLiteral(MQ_HELP_SOURCE_DIR "/maskquill.html"))
                                  .resolved(QUrl(QStringLiteral("#glossary"))));
    EXPECT_GT(help.browser()->verticalScrollBar()->value(), 0);
    QTest::mouseClick(help.findChild<QPushButton*>("contents"), Qt::LeftButton);
    EXPECT_EQ(help.browser()->verticalScrollBar()->value(), 0);
}

// The shipped document's text, or one section of it (from an id to the end of
// that section's table), as a reader sees it: no tags, single blanks, and
// numbers as "#" so that a message with a count matches its explanation.
QString shippedText(const QString& id = {})
{
    QFile f(QStringLiteral(MQ_HELP_SOURCE_DIR "/maskquill.html"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString html = QString::fromUtf8(f.readAll());
    if (!id.isEmpty()) {
        const auto start = html.indexOf(QStringLiteral("id=\"%1\"").arg(id));
        html = start < 0 ? QString() : html.mid(start, html.indexOf(QStringLiteral("</table>"), start) - start);
    }
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

QString withoutNumbers(const QString& text)
{
    return QString(text).replace(QRegularExpression(QStringLiteral("\\d+")), QStringLiteral("#"));
}

// Every message box of the converters, brought up as a user would, has its row
// in the help's table of messages.
TEST(HelpDocument, MessageTableExplainsEveryConverterMessage)
{
    test::FakeServices fake;
    BindecModel bindec(fake);
    bindec.Form_Load();
    const std::pair<int, std::string> inputs[] = {
        {0, ""}, {0, "102"}, {1, "12a"}, {2, "fg"}, {0, std::string(32, '1')}, {1, "2147483648"}, {2, "123456789"}};
    for (const auto& [mode, input] : inputs) {
        bindec.SSOption1_Click(mode);
        bindec.Text4.text = input;  // pasted, so no key filter
        bindec.SSCommand3_Click();
    }
    MacconvModel mac(fake);
    mac.Form_Load();
    for (const char* address : {"00000c1234", "00000c12345g"}) {
        mac.Text1.text = address;
        mac.SSCommand1_Click();
    }
    mac.text1_KeyUp(90, 0);  // the Z key

    const QString table = withoutNumbers(shippedText(QStringLiteral("messages")));
    ASSERT_FALSE(table.isEmpty());
    std::set<QString> seen;
    for (const auto& m : fake.messages) {
        const QString text = withoutNumbers(QString::fromStdString(m.text));
        seen.insert(text);
        EXPECT_TRUE(table.contains(text)) << "not in help: " << m.text;
    }
    EXPECT_EQ(seen.size(), 8u);  // every message the converters have
}

// The planner's Outputs dialog has its section, naming what it writes and each field and
// button; and the help no longer calls Maskquill a tool for IPv4 alone.
TEST(HelpDocument, DescribesTheOutputsDialogAndBothFamilies)
{
    const QString outputs = shippedText(QStringLiteral("planner-outputs"));
    ASSERT_FALSE(outputs.isEmpty());
    for (const char* name : {"Kea DHCPv4", "Kea DHCPv6", "dnsmasq", "BIND zones and named.conf", "Kea as", "Domain",
                             "DNS servers", "Name servers", "Hostmaster", "Interface", "Lease file", "TTL", "zone cut",
                             "Apply settings", "Save to folder...", "Copy", "Ctrl+Shift+E"})
        EXPECT_TRUE(outputs.contains(QString::fromUtf8(name))) << "not in the Outputs section: " << name;
    const QString text = shippedText();
    EXPECT_FALSE(text.contains(QStringLiteral("for IPv4 networks")));
    EXPECT_TRUE(text.contains(QStringLiteral("workbench for IPv4 and IPv6 networks")));
}

// Done and Finish hide their windows and keep what they show.
TEST(HelpDocument, SaysDoneAndFinishHide)
{
    const QString text = shippedText();
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\b(Done|Finish) closes"))))
        << "says a window closes";
    EXPECT_TRUE(text.contains(QStringLiteral("Done hides the converter and keeps its boxes")));
}

TEST(HelpWindow, NoWindowLeftAtTheEnd)
{
    expectNoWindowLeft();
}

}  // namespace
}  // namespace mq::ui
