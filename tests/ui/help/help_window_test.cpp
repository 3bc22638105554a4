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
#include <gtest/gtest.h>

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

TEST(HelpWindow, NoWindowLeftAtTheEnd) { expectNoWindowLeft(); }

}  // namespace
}  // namespace mq::ui
