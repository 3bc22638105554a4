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
#include "ui/frmAbout/frmabout.h"
#include "ui/frmMain/frm_main.h"
#include "ui/frmSplash/frm_splash.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/help/help_window.h"
#include "ui/macconv/macconv.h"
#include "ui/planner/allocation_map.h"
#include "ui/planner/outputs_dialog.h"
#include "ui/planner/planner.h"
#include "ui/planner/subnet_panel.h"
#include "ui/planner/subnet_picture.h"
#include "ui/planner/subnet_rules_dialog.h"
#include "ui/platform/settings_store.h"
#include "ui/platform/theme.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace mq::ui {
namespace {

QPalette darkPalette()
{
    // Text, button, light, dark, mid, text, bright text, base, window.
    return QPalette(QColor(0xe8e8e8), QColor(0x3a3a3a), QColor(0x505050), QColor(0x202020), QColor(0x555555),
                    QColor(0xe8e8e8), Qt::white, QColor(0x1e1e1e), QColor(0x2d2d2d));
}

// What a grab shows in an area: the colour most of it is painted in (or the one given as
// behind it), and the colour that stands out most from that: the ink of a text drawn there,
// or a mark.
struct Painted {
    QColor ink, back;
};

Painted paintedIn(const QImage& image, const QRect& area, std::optional<QColor> behind = {})
{
    std::map<QRgb, int> count;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++count[image.pixel(x, y)];
    Painted p;
    p.back = behind ? *behind : QColor::fromRgb(std::max_element(count.begin(), count.end(), [](auto& a, auto& b) {
                                                    return a.second < b.second;
                                                })->first);
    for (const auto& [rgb, n] : count)
        if (!p.ink.isValid() || contrastRatio(QColor::fromRgb(rgb), p.back) > contrastRatio(p.ink, p.back))
            p.ink = QColor::fromRgb(rgb);
    return p;
}

Painted paintedIn(QWidget* w)
{
    const QImage image = w->grab().toImage();
    return paintedIn(image, image.rect());
}

// A label's text colour (its style sheet's, once polished) on what its grab shows behind it.
Painted ofLabel(QLabel* l)
{
    l->ensurePolished();
    return {l->palette().color(l->foregroundRole()), paintedIn(l).back};
}

// A row's colour as its view paints it, on the view's base.
Painted ofRow(QAbstractItemView* v, int row)
{
    const QVariant fore = v->model()->index(row, 0).data(Qt::ForegroundRole);
    return {fore.isValid() ? fore.value<QColor>() : v->palette().color(QPalette::Text),
            v->palette().color(QPalette::Base)};
}

template <class T> T* child(QObject* in, const char* name)
{
    T* c = in->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void expectReads(const std::string& what, const Painted& p)
{
    EXPECT_GE(contrastRatio(p.ink, p.back), kMinContrast)
        << what << ": " << p.ink.name().toStdString() << " on " << p.back.name().toStdString();
}

// The named elements of a window, each shown and read as painted: a label's text and the
// colours of its rich text on what its grab shows behind it, each row of a view on its base.
void expectRead(const char* window, QWidget* in, std::initializer_list<const char*> names)
{
    static const QRegularExpression span(QStringLiteral("color:\\s*(#[0-9a-fA-F]{6})"));
    for (const char* name : names) {
        QWidget* w = in->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_TRUE(w && w->isVisible()) << window << " " << name;
        const std::string what = std::string(window) + ": " + name;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            const Painted p = ofLabel(l);
            expectReads(what, p);
            for (auto m = span.globalMatch(l->text()); m.hasNext();)
                expectReads(what + " span", {QColor(m.next().captured(1)), p.back});
        } else if (auto* v = qobject_cast<QAbstractItemView*>(w)) {
            EXPECT_GT(v->model()->rowCount(), 0) << what;
            for (int r = 0; r < std::min(v->model()->rowCount(), 20); ++r)
                expectReads(what + " row " + std::to_string(r), ofRow(v, r));
        }
    }
}

void screenshot(QWidget* w, const QString& name)
{
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        w->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/") + name + QStringLiteral(".png"));
}

// A small campus, one block of it in a dark colour of the user's, one segment that does not
// fit, two hosts sharing a MAC (a problem the Hosts tab lists) and a refused subnet edit.
std::map<std::string, plan::BlockId> campus(Planner& w, test::FakePlannerServices& sv)
{
    planner::PlannerForm& form = w.form();
    EXPECT_TRUE(form.newPlan("10.40.0.0/22"));
    plan::Settings s = form.plan().settings();
    s.layout.gateway = plan::GatewayRule::FirstUsable;
    s.layout.kept = 2;
    s.layout.range = plan::RangeRule::UpperHalf;
    EXPECT_TRUE(form.setSettings(s));
    EXPECT_TRUE(form.allocate(form.plan().root(), "staff, 100\nprinters, 20\nservers, 20\nwifi, 200\nhuge, 5000\n"));
    std::map<std::string, plan::BlockId> ids;
    for (const plan::AllocationRow& r : plan::allocationRows(form.plan()))
        ids[form.plan().block(r.v4).name] = r.v4;
    std::function<void(plan::BlockId)> walk = [&](plan::BlockId id) {
        const plan::Block& b = form.plan().block(id);
        for (plan::BlockId c : b.children)
            walk(c);
        if (b.children.empty() && b.state == plan::BlockState::Free && b.prefix.length >= 25)
            ids["free"] = id;  // one row of the map at most
    };
    walk(form.plan().root());
    sv.colours.push_back(0x1f2a44);
    EXPECT_TRUE(form.chooseColour(ids["printers"]));
    w.refresh();
    w.selectBlock(ids["staff"]);
    w.lowerTabs()->setCurrentIndex(1);
    w.refresh();
    planner::SubnetForm& subnet = w.subnetPanel()->form();
    EXPECT_TRUE(subnet.paste("host name\tipv4\tmac\nsw-1\tnext\t00:1b:63:84:45:e6\nsw-2\tnext\t00:1b:63:84:45:e6\n"));
    EXPECT_FALSE(subnet.setKept(net::Family::V4, "lots"));
    w.refresh();
    return ids;
}

class OwnWindows : public ::testing::TestWithParam<bool> {
protected:
    // The windows open under the other palette and see the desktop change.
    void SetUp() override { QApplication::setPalette(GetParam() ? classicPalette() : darkPalette()); }
    // The windows hear of it from the event loop, as from a desktop's theme.
    void turn()
    {
        QApplication::setPalette(GetParam() ? darkPalette() : classicPalette());
        QApplication::processEvents();
    }
    QString name(const char* window) const { return QString::fromLatin1(GetParam() ? "dark-" : "light-") + window; }
};

TEST_P(OwnWindows, ColouredTextsAndMarksReadAfterTheDesktopTurns)
{
    ClasslessWindow calculator;
    calculator.resize(1100, 760);
    calculator.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&calculator));
    QTest::keyClicks(child<QLineEdit>(&calculator, "Input"), QStringLiteral("192.168.0.77/26"));  // badges, bits
    QTest::keyClicks(child<QLineEdit>(&calculator, "Input"), QStringLiteral("9"));  // and a refused prefix
    QTest::keyClicks(child<QLineEdit>(&calculator, "SplitLength"), QStringLiteral("7"));
    QTest::mouseClick(child<QPushButton>(&calculator, "Split"), Qt::LeftButton);  // longer only
    test::FakePlannerServices sv;
    Planner planner(nullptr, &sv);
    planner.resize(1200, 820);
    planner.show();
    const std::map<std::string, plan::BlockId> ids = campus(planner, sv);
    OutputsDialog outputs(&planner, planner.form());
    outputs.show();
    QTest::keyClicks(child<QLineEdit>(&outputs, "ttl"), QStringLiteral("1 hour"));
    SubnetRulesDialog rules(&planner, planner.form().plan().settings().layout, plan::CloudMode{});
    rules.show();
    child<QComboBox>(&rules, "rangeRule")->setCurrentIndex(static_cast<int>(plan::RangeRule::Offsets));
    child<QLineEdit>(&rules, "rangeFrom")->setText(QStringLiteral("ten"));
    static_cast<QDialog&>(rules).accept();
    turn();
    for (QWidget* w : std::initializer_list<QWidget*>{&calculator, &planner, &outputs, &rules})
        EXPECT_EQ(w->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window))
            << w->objectName().toStdString() << " follows the desktop";

    QLabel* badge = child<QLabel>(&calculator, "Badge0");
    const QImage page = badge->parentWidget()->grab().toImage();
    expectRead("calculator", &calculator,
               {"Error", "ListingMessage", "Badge0", "AddressBinary", "MaskBinary", "BitsLegend"});
    expectReads("calculator: badge border on the window",
                paintedIn(page, QRect(badge->x(), badge->y() + badge->height() / 4, 2, badge->height() / 2),
                          page.pixelColor(badge->x() - 2, badge->y() + badge->height() / 2)));
    screenshot(&calculator, name("classless"));
    child<QTabWidget>(&calculator, "Tools")->setCurrentIndex(1);
    QSignalSpy shown(&calculator, &ClasslessWindow::listsShown);
    child<QPlainTextEdit>(&calculator, "ListA")->setPlainText(QStringLiteral("10.0.0.0/25\nten\n"));
    ASSERT_TRUE(shown.wait(60000));
    expectRead("lists", &calculator, {"ListsErrors"});
    screenshot(&calculator, name("lists"));

    // The subnet panel: every fill of the picture (and the outline of free cells) on the window.
    SubnetPicture* picture = planner.subnetPanel()->picture();
    const QImage cells = picture->grab(picture->drawing()).toImage();
    std::map<QRgb, int> fills;
    for (int y = 0; y < cells.height(); ++y)
        for (int x = 0; x < cells.width(); ++x)
            ++fills[cells.pixel(x, y)];
    EXPECT_GE(fills.size(), 6u);  // network, gateway, kept, hosts, range, free and the outline
    for (const auto& [rgb, n] : fills)
        if (n >= 20 && QColor::fromRgb(rgb) != picture->palette().color(QPalette::Base))
            expectReads("subnet panel: picture", {QColor::fromRgb(rgb), picture->palette().color(QPalette::Window)});
    expectRead("subnet panel", &planner, {"subnetStatus", "subnetHosts"});  // a refused edit, the new host row
    screenshot(&planner, name("planner-subnet"));

    planner.lowerTabs()->setCurrentIndex(0);
    AllocationMap* map = planner.map();
    const QImage drawn = map->grab().toImage();
    for (const char* block : {"staff", "printers", "free"}) {
        const QPoint at = map->pointOf(ids.at(block));
        expectReads(std::string("map: name on ") + block, paintedIn(drawn, QRect(at - QPoint(20, 6), QSize(40, 12))));
    }
    // Free rows keep to the palette's side: no pale glare under a dark palette.
    const QColor freeBack = paintedIn(drawn, QRect(map->pointOf(ids.at("free")) - QPoint(20, 6), QSize(40, 12))).back;
    EXPECT_EQ(relativeLuminance(freeBack) < 0.2, isDarkPalette(map->palette())) << freeBack.name().toStdString();
    const int middle = map->margin() + (map->width() - map->margin()) / 2;
    expectReads("map: outline of a row on the window", {drawn.pixelColor(middle, 1), drawn.pixelColor(middle, 0)});
    expectReads("map: row prefixes", paintedIn(drawn, QRect(0, 0, map->margin() - 6, AllocationMap::kRowHeight)));
    const QImage square = planner.tree()->model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
    expectReads("tree: outline of a block colour",
                {square.pixelColor(0, 0), planner.tree()->palette().color(QPalette::Base)});
    expectRead("allocate", &planner, {"allocationResults"});  // with a segment that does not fit
    screenshot(&planner, name("planner-map"));

    planner.tablesTabs()->setCurrentIndex(1);
    QApplication::processEvents();
    expectRead("hosts", &planner, {"problemsTitle", "problems"});
    screenshot(&planner, name("planner-hosts"));

    expectRead("outputs", &outputs, {"settingsError", "outputFiles"});  // a refused value, why the plan is refused
    screenshot(&outputs, name("outputs"));
    expectRead("subnet rules", &rules, {"rulesError"});
    screenshot(&rules, name("subnet-rules"));
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
        windows.emplace_back(std::make_unique<FrmAbout>(&mdi, &services));
        windows.emplace_back(std::make_unique<FrmSplash>([] { return nullptr; }));
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
    {
        // The main window follows the desktop around them: a classic and an own window in it.
        QTemporaryDir dir;
        QtSettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
        FrmMain main(state, store);
        main.registerWindow(QStringLiteral("frmBindec"), [&] { return new Bindec(nullptr, &services); });
        main.registerWindow(QStringLiteral("frmMacconv"), [&] { return new Macconv(nullptr, &services); });
        main.registerWindow(QStringLiteral("classless"), [] { return new ClasslessWindow; });
        main.resize(1300, 900);
        main.show();
        ASSERT_NE(main.showWindow(QStringLiteral("frmMacconv")), nullptr);
        ASSERT_NE(main.showWindow(QStringLiteral("frmBindec")), nullptr);
        ASSERT_NE(main.showWindow(QStringLiteral("classless")), nullptr);
        main.subWindow(QStringLiteral("classless"))->move(260, 60);
        screenshot(&main, QStringLiteral("dark-frmMain"));
    }
    QApplication::setPalette(classicPalette());
    same(" when it is light again");
}

// Inside a frame that follows a dark desktop, each shows its own window colour, as alone.
TEST(ClassicWindows, PaintTheirOwnBackgroundInTheMainWindowsFrames)
{
    CalculatorState state;
    test::FakeServices services;
    QApplication::setPalette(darkPalette());
    QMdiArea mdi;
    mdi.resize(1600, 1200);
    mdi.show();
    const std::vector<QWidget*> windows{new Frmdoc(state, services),     new Dar,
                                        new Form10(nullptr, &services),  new Bindec(nullptr, &services),
                                        new Macconv(nullptr, &services), new Clist(nullptr, &services)};
    for (QWidget* w : windows)
        mdi.addSubWindow(w)->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mdi));  // the frames take the desktop's palette in
    for (QWidget* w : windows)
        EXPECT_EQ(w->parentWidget()->grab(w->geometry()).toImage(), w->grab().toImage())
            << w->objectName().toStdString();
    QApplication::setPalette(classicPalette());
}

}  // namespace
}  // namespace mq::ui
