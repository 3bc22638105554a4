// The Qt side of the controls and services: units, colours, filters, the real
// dialogs, the settings store and the grid's selection in grid coordinates.
#include "tests/ui/platform/window_test_support.h"
#include "ui/platform/choice_buttons.h"
#include "ui/platform/flex_grid.h"
#include "ui/platform/geometry.h"
#include "ui/platform/panel3d.h"
#include "ui/platform/qt_services.h"
#include "ui/platform/rich_text_view.h"
#include "ui/platform/settings_store.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>

namespace mq::test {
namespace {

using namespace mq::ui;

// A desktop whose theme puts stock icons on dialog buttons, as Qt's generic
// theme on X does, for as long as it lives.
class IconButtonsDesktop {
public:
    IconButtonsDesktop() { QApplication::setStyle(new Style); }
    ~IconButtonsDesktop() { QApplication::setStyle(before); }

private:
    struct Style : QProxyStyle {
        Style() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) { }
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* data) const override
        {
            return hint == SH_DialogButtonBox_ButtonsHaveIcons ? 1 : QProxyStyle::styleHint(hint, option, widget, data);
        }
    };
    QString before = QApplication::style()->name();
};

// Names of the buttons of a dialog that carry an icon.
QStringList buttonsWithIcons(QWidget* dialog)
{
    QStringList out;
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (!b->icon().isNull())
            out << b->text();
    return out;
}

// Runs `act` on the first modal dialog of type T once it is up.
template <typename T> void whenDialogOpens(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(d);
        }
    });
    timer->start();
}

TEST(Units, TwipsFollowTheScreenResolution)
{
    const double dpi = logicalDpi();
    EXPECT_EQ(twipsToPixels(1440), qRound(dpi));
    EXPECT_EQ(twipsToPixels(0), 0);
    EXPECT_EQ(twipsRect(720, 1440, 2880, 144), QRect(qRound(dpi / 2), qRound(dpi), qRound(dpi * 2), qRound(dpi / 10)));
    for (int twips : {15, 200, 1335, 8550, 9820})
        EXPECT_NEAR(pixelsToTwips(twipsToPixels(twips)), twips, 1440 / dpi) << twips;
}

struct ColourCase {
    Colour stored;
    QColor rgb;
};

class Colours : public ::testing::TestWithParam<ColourCase> { };

TEST_P(Colours, StoredValuesAreBlueGreenRed)
{
    EXPECT_EQ(toQColor(GetParam().stored), GetParam().rgb);
    EXPECT_EQ(fromQColor(GetParam().rgb), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Program, Colours,
                         ::testing::Values(ColourCase{colour::Red, QColor(255, 0, 0)},
                                           ColourCase{colour::Blue, QColor(0, 0, 255)},
                                           ColourCase{colour::Olive, QColor(128, 128, 0)},
                                           ColourCase{colour::Purple, QColor(128, 0, 128)},
                                           ColourCase{colour::Green, QColor(0, 128, 0)},
                                           ColourCase{colour::LightGrey, QColor(192, 192, 192)},
                                           ColourCase{0x00123456, QColor(0x56, 0x34, 0x12)}));

struct FilterCase {
    const char* filter;
    QStringList qt;
};

class Filters : public ::testing::TestWithParam<FilterCase> { };

TEST_P(Filters, BecomeQtNameFilters)
{
    EXPECT_EQ(toQtNameFilters(GetParam().filter), GetParam().qt);
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, Filters,
    ::testing::Values(FilterCase{"Rich Text Format (*.rtf)|*.rtf|", {"Rich Text Format (*.rtf)"}},
                      FilterCase{"Text Files|*.txt|All Files|*.*|", {"Text Files (*.txt)", "All Files (*.*)"}},
                      FilterCase{"Text (*.txt)|*.txt;*.log|", {"Text (*.txt *.log)"}},
                      FilterCase{"Text Files|*.txt", {"Text Files (*.txt)"}}, FilterCase{"", {}}, FilterCase{"|", {}}));

TEST(DisplayText, LineBreaksOfEveryFormBecomeOne)
{
    EXPECT_EQ(displayText("a\n\rb"), "a\nb");
    EXPECT_EQ(displayText("a\r\nb"), "a\nb");
    EXPECT_EQ(displayText("a\rb\r"), "a\nb\n");
    EXPECT_EQ(displayText("plain"), "plain");
}

struct IconCase {
    MsgIcon icon;
    QMessageBox::Icon qt;
};

class RealMessageBox : public ::testing::TestWithParam<IconCase> { };

TEST_P(RealMessageBox, ShowsTextTitleIconAndOk)
{
    IconButtonsDesktop desktop;
    QWidget owner;
    QtServices services(&owner);
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList iconButtons;
    whenDialogOpens<QMessageBox>([&](QMessageBox* box) {
        iconButtons = buttonsWithIcons(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    services.msgBox("Subnet zero not enabled\n\rPlease enter a number up to  6", GetParam().icon, "Warning");
    EXPECT_EQ(title, "Warning");
    EXPECT_EQ(text, "Subnet zero not enabled\nPlease enter a number up to  6");
    EXPECT_EQ(icon, GetParam().qt);
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_EQ(iconButtons, QStringList());
    EXPECT_TRUE(strayWindows().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Icons, RealMessageBox,
                         ::testing::Values(IconCase{MsgIcon::None, QMessageBox::NoIcon},
                                           IconCase{MsgIcon::Critical, QMessageBox::Critical},
                                           IconCase{MsgIcon::Exclamation, QMessageBox::Warning},
                                           IconCase{MsgIcon::Information, QMessageBox::Information}));

TEST(RealPrompt, ReturnsTheTypedTextOrNothingOnCancel)
{
    IconButtonsDesktop desktop;
    QtServices services;
    QString label, defaultText;
    QStringList iconButtons;
    int width = 0, labelWidth = 0;
    whenDialogOpens<QInputDialog>([&](QInputDialog* d) {
        label = d->labelText();
        defaultText = d->textValue();
        iconButtons = buttonsWithIcons(d);
        width = d->width();
        labelWidth = d->findChild<QLabel*>()->width();
        d->setTextValue("42");
        d->accept();
    });
    const std::string prompt = "Enter a subnet number between 1 and  6";
    EXPECT_EQ(services.inputBox(prompt, "Request a Subnet Number", "1"), "42");
    EXPECT_EQ(label, QString::fromStdString(prompt));
    EXPECT_EQ(defaultText, "1");
    EXPECT_EQ(iconButtons, QStringList());
    // The title bar shows the whole title, in a bold title font a size up, beside
    // the window icon and its three buttons; the prompt shows on one line.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    EXPECT_GE(width, QFontMetrics(titleFont).horizontalAdvance("Request a Subnet Number") + 4 * 24);
    EXPECT_GE(labelWidth, QFontMetrics(QApplication::font()).horizontalAdvance(QString::fromStdString(prompt)));

    whenDialogOpens<QInputDialog>([](QInputDialog* d) { d->reject(); });
    EXPECT_EQ(services.inputBox("p", "t", "1"), "");
    EXPECT_TRUE(strayWindows().isEmpty());
}

TEST(RealSaveDialog, OffersTheFilterAndReturnsTheChosenFile)
{
    QTemporaryDir dir;
    QtServices services;
    QStringList filters;
    QString suffix;
    const QString path = dir.filePath("ranges.rtf");
    whenDialogOpens<QFileDialog>([&](QFileDialog* d) {
        filters = d->nameFilters();
        suffix = d->defaultSuffix();
        d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    });
    const auto chosen = services.saveFileDialog("Rich Text Format (*.rtf)|*.rtf|");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QString::fromStdString(*chosen), path);
    EXPECT_EQ(filters, QStringList({"Rich Text Format (*.rtf)"}));
    EXPECT_EQ(suffix, "");  // the typed name is used unchanged

    whenDialogOpens<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_FALSE(services.saveFileDialog("Text Files|*.txt|").has_value());
    EXPECT_TRUE(strayWindows().isEmpty());
}

TEST(RealServices, FocusFollowsTheTabOrderOfTheWindow)
{
    QWidget window;
    auto* a = new QLineEdit(&window);
    auto* skipped = new QLineEdit(&window);
    auto* b = new QCheckBox(&window);
    auto* c = new QPushButton(&window);
    a->setObjectName("Text3(0)");
    b->setObjectName("SSCheck1");
    c->setObjectName("SSCommand1");
    skipped->setEnabled(false);
    QWidget::setTabOrder(a, skipped);
    QWidget::setTabOrder(skipped, b);
    QWidget::setTabOrder(b, c);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QtServices services(&window);
    services.setFocus("Text3(0)");
    EXPECT_EQ(QApplication::focusWidget(), a);
    services.sendTab();
    EXPECT_EQ(QApplication::focusWidget(), b);  // the disabled field is passed over
    services.sendTab();
    EXPECT_EQ(QApplication::focusWidget(), c);
    services.sendTab();
    EXPECT_EQ(QApplication::focusWidget(), a);  // and round again
    services.setFocus("NoSuchControl");
    EXPECT_EQ(QApplication::focusWidget(), a);
}

TEST(RealServices, ClipboardAndPendingEvents)
{
    QtServices services;
    services.setClipboardText("192.168.1.64   192.168.1.65   \r");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "192.168.1.64   192.168.1.65   \r");
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    services.doEvents();
    EXPECT_TRUE(ran);
    services.beep();
}

TEST(Settings, StoreTextByApplicationSectionAndKey)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    {
        QtSettingsStore store(path);
        EXPECT_EQ(store.getSetting("Maskquill", "Settings", "MainLeft", "none"), "none");
        store.saveSetting("Maskquill", "Settings", "MainLeft", "3000");
        store.saveSetting("Maskquill", "Settings", "MainTop", "195");
    }
    QtSettingsStore again(path);
    EXPECT_EQ(again.getSetting("Maskquill", "Settings", "MainLeft"), "3000");
    EXPECT_EQ(again.getSetting("Maskquill", "Settings", "MainTop"), "195");
    EXPECT_EQ(again.getSetting("Maskquill", "Other", "MainTop", "x"), "x");
}

struct Selection {
    const char* name;
    int fixedRows;
    QPoint from, to;  // (column, table row) of the two clicks
    std::array<int, 4> expected;  // Row, Col, RowSel, ColSel
};

class GridSelection : public ::testing::TestWithParam<Selection> { };

TEST_P(GridSelection, IsReadInGridCoordinates)
{
    FlexGrid grid(GetParam().fixedRows);
    Grid model(6, 4);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 4; ++c)
            model.setTextMatrix(r, c, QStringLiteral("r%1c%2").arg(r).arg(c).toStdString());
    model.colWidth = {1000, 1750, 1750, 1750};
    grid.showGrid(model);
    grid.resize(600, 300);
    grid.show();
    ASSERT_EQ(grid.rowCount(), 6 - GetParam().fixedRows);
    if (GetParam().fixedRows) {
        EXPECT_EQ(grid.horizontalHeaderItem(2)->text(), "r0c2");
    }
    EXPECT_EQ(grid.columnWidth(1), twipsToPixels(1750));
    int ups = 0;
    QObject::connect(&grid, &FlexGrid::mouseUp, [&] { ++ups; });
    auto centre = [&](QPoint cell) { return grid.visualRect(grid.model()->index(cell.y(), cell.x())).center(); };
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(GetParam().from));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(GetParam().to));
    EXPECT_EQ(ups, 2);
    grid.readSelection(model);
    EXPECT_EQ((std::array<int, 4>{model.row, model.col, model.rowSel, model.colSel}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Clicks, GridSelection,
                         ::testing::Values(Selection{"DownRight", 1, {1, 0}, {2, 1}, {1, 1, 2, 2}},
                                           Selection{"UpLeft", 1, {3, 4}, {0, 2}, {5, 3, 3, 0}},
                                           Selection{"OneCell", 1, {2, 2}, {2, 2}, {3, 2, 3, 2}},
                                           Selection{"NoFixedRow", 0, {0, 0}, {1, 5}, {0, 0, 5, 1}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GridKeyboard, ASelectionMadeWithTheKeysCountsToo)
{
    FlexGrid grid(1);
    Grid model(6, 3);
    grid.showGrid(model);
    grid.resize(400, 200);
    grid.show();
    int ups = 0;
    QObject::connect(&grid, &FlexGrid::mouseUp, [&] { ++ups; });
    grid.setFocus();
    grid.setCurrentCell(0, 0);
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_GE(ups, 2);  // each key released, Shift included
    grid.readSelection(model);
    EXPECT_EQ((std::array<int, 4>{model.row, model.col, model.rowSel, model.colSel}), (std::array<int, 4>{1, 0, 2, 1}));
}

TEST(RichText, ShowsEachRunInItsColour)
{
    RichTextView view;
    view.resize(300, 30);
    view.setRuns({{"11000000  ", colour::Red}, {"101", colour::Blue}, {"00000", colour::Olive}});
    EXPECT_EQ(view.toPlainText(), "11000000  10100000");
    QTextCursor cursor(view.document());
    auto colourAt = [&](int pos) {
        cursor.setPosition(pos + 1);
        return cursor.charFormat().foreground().color();
    };
    EXPECT_EQ(colourAt(0), QColor(255, 0, 0));
    EXPECT_EQ(colourAt(10), QColor(0, 0, 255));
    EXPECT_EQ(colourAt(13), QColor(128, 128, 0));
    view.setRuns({});
    EXPECT_EQ(view.toPlainText(), "");
}

TEST(RichText, LongTextShrinksToFitOnOneLine)
{
    RichTextView view;
    view.resize(120, 30);
    const std::string bits = "11111111  11111111  11111111  11000000";
    view.setRuns({{bits, colour::Red}});
    EXPECT_EQ(view.document()->blockCount(), 1);
    EXPECT_LE(view.document()->idealWidth(), view.viewport()->width());
}

TEST(Panels, CaptionAndColours)
{
    Panel3D panel(Panel3D::Bevel::Inset);
    panel.setCaption("192.168.1.64");
    panel.setForeColor(colour::Green);
    EXPECT_EQ(panel.caption(), "192.168.1.64");
    EXPECT_EQ(panel.palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(panel.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(panel.frameShadow(), QFrame::Sunken);
}

// ---------------------------------------------------------------- check boxes and options

// Mouse, space bar, toggle() and an assistive tool's Toggle action (which
// emits no click): each change is reported once, the program's own is not.
TEST(ChoiceButtons, EveryChangeIsReportedOnceHoweverItIsMade)
{
    const std::vector<std::function<void(QAbstractButton*)>> ways = {
        [](QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); },
        [](QAbstractButton* b) { QTest::keyClick(b, Qt::Key_Space); },
        [](QAbstractButton* b) { b->toggle(); },
        [](QAbstractButton* b) {
            QAccessible::queryAccessibleInterface(b)->actionInterface()->doAction(
                QAccessibleActionInterface::toggleAction());
        },
    };
    for (std::size_t w = 0; w < ways.size(); ++w) {
        SCOPED_TRACE(w);
        QWidget frame;
        CheckBox3D box(QStringLiteral("Enable Subnet Zero"), &frame);
        std::vector<int> ticks, chosen;
        QObject::connect(&box, &CheckBox3D::valueChanged, [&](int v) { ticks.push_back(v); });
        QButtonGroup group;
        std::array<OptionButton3D*, 3> options{};
        for (int i = 0; i < 3; ++i) {
            options[i] = new OptionButton3D(&frame);
            options[i]->setText(QStringLiteral("Option %1").arg(i));
            options[i]->setGeometry(0, 30 * (i + 1), 100, 25);
            group.addButton(options[i], i);
            QObject::connect(options[i], &OptionButton3D::chosen, [&chosen, i] { chosen.push_back(i); });
        }
        options[0]->showValue(true);
        frame.show();
        ways[w](&box);
        ways[w](&box);
        box.showValue(true);
        EXPECT_EQ(ticks, (std::vector<int>{1, 0}));
        ways[w](options[2]);
        ways[w](options[2]);  // a chosen option stays chosen: no change
        options[1]->showValue(true);
        EXPECT_EQ(chosen, (std::vector<int>{2}));
    }
}

// ---------------------------------------------------------------- what screen readers read

TEST(Panels, ScreenReadersReadTheCaptionAsText)
{
    Panel3D panel(Panel3D::Bevel::Inset);
    panel.setAccessibleName(QStringLiteral("Network Address"));
    panel.setCaption("192.168.1.0");
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&panel);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->text(QAccessible::Name), "Network Address");
    ASSERT_NE(iface->textInterface(), nullptr);
    EXPECT_EQ(iface->textInterface()->text(0, -1), "192.168.1.0");
    EXPECT_EQ(iface->textInterface()->text(4, 7), "168");
    // That a change is announced needs a running accessibility bridge: the
    // screen reader test (tests/e2e) listens for it.
    panel.setCaption("");
    EXPECT_EQ(iface->textInterface()->characterCount(), 0);
}

}  // namespace
}  // namespace mq::test
