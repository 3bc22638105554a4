// Light and dark desktops: every coloured text and mark of the own windows read at 4.5:1
// against what is drawn behind it, and the classic windows and the help look the same in both.
#include "core/calculator_state.h"
#include "plan/allocations.h"
#include "tests/planner/fake_planner_services.h"
#include "tests/support/fake_services.h"
#include "ui/Form10/form10.h"
#include "ui/bindec/bindec.h"
#include "ui/classless/classless_window.h"
#include "ui/clist/clist.h"
#include "ui/dar/dar.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/help/help_window.h"
#include "ui/macconv/macconv.h"
#include "ui/planner/outputs_dialog.h"
#include "ui/planner/planner.h"
#include "ui/planner/subnet_picture.h"
#include "ui/platform/theme.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace mq::ui {
namespace {

QPalette darkPalette()
{
    // Text, button, light, dark, mid, text, bright text, base, window.
    return QPalette(QColor(0xe8e8e8), QColor(0x3a3a3a), QColor(0x505050), QColor(0x202020), QColor(0x555555),
                    QColor(0xe8e8e8), Qt::white, QColor(0x1e1e1e), QColor(0x2d2d2d));
}

// What is behind a widget's text: the colour most of its picture is painted in.
QColor backgroundOf(QWidget* w)
{
    const QImage image = w->grab().toImage();
    std::map<QRgb, int> count;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++count[image.pixel(x, y)];
    return QColor::fromRgb(
        std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })->first);
}

// Every visible label's colours (its own and those of its rich text) against its
// background, and every row of every view against the view's base.
void expectReadable(QWidget* window, const char* what)
{
    static const QRegularExpression span(QStringLiteral("color:\\s*(#[0-9a-fA-F]{6})"));
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (!l->isVisible() || !l->isEnabled() || l->text().isEmpty())
            continue;
        l->ensurePolished();
        const QColor back = backgroundOf(l);
        std::vector<QColor> fore{l->palette().color(QPalette::WindowText)};
        for (auto m = span.globalMatch(l->text()); m.hasNext();)
            fore.emplace_back(m.next().captured(1));
        for (const QColor& c : fore)
            EXPECT_GE(contrastRatio(c, back), kMinContrast)
                << what << " " << l->objectName().toStdString() << ": " << c.name().toStdString() << " on "
                << back.name().toStdString() << " \"" << l->text().left(40).toStdString() << "\"";
    }
    for (QAbstractItemView* v : window->findChildren<QAbstractItemView*>()) {
        if (!v->isVisible() || !v->model())
            continue;
        for (int r = 0; r < std::min(v->model()->rowCount(), 20); ++r) {
            const QVariant fore = v->model()->index(r, 0).data(Qt::ForegroundRole);
            const QColor c = fore.isValid() ? fore.value<QColor>() : v->palette().color(QPalette::Text);
            EXPECT_GE(contrastRatio(c, v->palette().color(QPalette::Base)), kMinContrast)
                << what << " " << v->objectName().toStdString() << " row " << r;
        }
    }
}

void screenshot(QWidget* w, const QString& name)
{
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        w->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/") + name + QStringLiteral(".png"));
}

class OwnWindows : public ::testing::TestWithParam<bool> {
protected:
    // The calculator opens under the other palette and sees the desktop change; the others open after.
    void SetUp() override { QApplication::setPalette(GetParam() ? classicPalette() : darkPalette()); }
    void turn() { QApplication::setPalette(GetParam() ? darkPalette() : classicPalette()); }
    QString name(const char* window) const { return QString::fromLatin1(GetParam() ? "dark-" : "light-") + window; }
};

TEST_P(OwnWindows, ColouredTextsAndMarksRead)
{
    ClasslessWindow calculator;
    calculator.resize(1100, 760);
    calculator.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&calculator));
    auto* input = calculator.findChild<QLineEdit*>(QStringLiteral("Input"));
    QTest::keyClicks(input, QStringLiteral("192.168.0.77/26"));  // badges, coloured bits
    QTest::keyClicks(input, QStringLiteral("9"));  // and a refused prefix
    turn();
    expectReadable(&calculator, "calculator");
    screenshot(&calculator, name("classless"));

    calculator.findChild<QTabWidget*>(QStringLiteral("Tools"))->setCurrentIndex(1);
    QSignalSpy shown(&calculator, &ClasslessWindow::listsShown);
    calculator.findChild<QPlainTextEdit*>(QStringLiteral("ListA"))->setPlainText(QStringLiteral("10.0.0.0/25\nten\n"));
    ASSERT_TRUE(shown.wait(60000));
    expectReadable(&calculator, "lists");
    screenshot(&calculator, name("lists"));

    test::FakePlannerServices sv;
    Planner planner(nullptr, &sv);
    planner.resize(1200, 820);
    planner.show();
    ASSERT_TRUE(planner.form().newPlan("10.40.0.0/16"));
    ASSERT_TRUE(planner.form().allocate(planner.form().plan().root(), "staff, 100\nprinters, 20\nwifi, 200\n"));
    planner.refresh();
    planner.selectBlock(plan::allocationRows(planner.form().plan()).front().v4);
    planner.lowerTabs()->setCurrentIndex(1);  // the subnet panel: its picture and host table
    planner.refresh();
    expectReadable(&planner, "planner");
    screenshot(&planner, name("planner"));
    planner.lowerTabs()->setCurrentIndex(0);
    screenshot(&planner, name("planner-map"));
    for (int k = 1; k < static_cast<int>(planner::AddressKind::KindCount); ++k)
        EXPECT_GE(contrastRatio(SubnetPicture::colourOf(static_cast<planner::AddressKind>(k), planner.palette()),
                                planner.palette().color(QPalette::Window)),
                  kMinContrast)
            << "picture kind " << k;

    OutputsDialog outputs(&planner, planner.form());
    outputs.show();
    auto* ttl = outputs.findChild<QLineEdit*>(QStringLiteral("ttl"));
    QTest::keyClicks(ttl, QStringLiteral("1 hour"));
    expectReadable(&outputs, "outputs");
    screenshot(&outputs, name("outputs"));
}

INSTANTIATE_TEST_SUITE_P(Palettes, OwnWindows, ::testing::Values(false, true));

TEST(Contrast, ReadableColoursReachTheMinimumAndKeepWhatAlreadyReads)
{
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(contrastRatio(Qt::red, Qt::white), 4.0, 0.01);
    for (int w = 0; w < 216; ++w)
        for (int b = 0; b < 216; ++b) {
            const QColor wanted(w / 36 * 51, w / 6 % 6 * 51, w % 6 * 51), back(b / 36 * 51, b / 6 % 6 * 51, b % 6 * 51);
            const QColor got = readableOn(wanted, back);
            ASSERT_GE(contrastRatio(got, back), kMinContrast)
                << wanted.name().toStdString() << back.name().toStdString();
            ASSERT_GE(contrastRatio(inkOn(back), back), kMinContrast);
            if (contrastRatio(wanted, back) >= kMinContrast) {
                ASSERT_EQ(got, wanted);
            }
        }
}

TEST(ClassicWindows, LookTheSameUnderALightAndADarkDesktop)
{
    CalculatorState state;
    test::FakeServices services;
    QApplication::setPalette(classicPalette());
    QWidget mdi;  // inside the main window, as they open
    std::vector<std::unique_ptr<QWidget>> windows;
    auto make = [&] {
        windows.clear();
        windows.emplace_back(std::make_unique<Frmdoc>(state, services, &mdi));
        windows.emplace_back(std::make_unique<Dar>(&mdi));
        windows.emplace_back(std::make_unique<Form10>(&mdi, &services));
        windows.emplace_back(std::make_unique<Bindec>(&mdi, &services));
        windows.emplace_back(std::make_unique<Macconv>(&mdi, &services));
        windows.emplace_back(std::make_unique<Clist>(&mdi, &services));
        auto help = std::make_unique<HelpWindow>(nullptr, QStringList{QStringLiteral(MQ_HELP_FOLDER)});
        ASSERT_TRUE(help->showContents());
        windows.push_back(std::move(help));
    };
    make();
    std::vector<QImage> light;
    for (auto& w : windows)
        light.push_back(w->grab().toImage());
    auto same = [&](const char* when) {
        for (std::size_t i = 0; i < windows.size(); ++i)
            EXPECT_EQ(windows[i]->grab().toImage(), light[i]) << windows[i]->objectName().toStdString() << when;
    };
    QApplication::setPalette(darkPalette());
    same(" when the desktop turns dark");
    make();
    same(" opened while it is dark");
    for (auto& w : windows)
        screenshot(w.get(), QStringLiteral("dark-") + w->objectName());
    QApplication::setPalette(classicPalette());
    same(" when it is light again");
}

}  // namespace
}  // namespace mq::ui
