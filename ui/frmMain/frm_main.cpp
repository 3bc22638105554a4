// The main window's menus, toolbar, status bar and commands; its child windows
// are frm_main_windows.cpp's.
#include "ui/frmMain/frm_main.h"

#include "ui/frmMain/menu_style.h"
#include "ui/frmMain/tool_icons.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/platform/geometry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <iterator>

namespace mq::ui {

namespace {

const QString kCalculator = QStringLiteral("frmdoc");
const QString kSettingsApp = QStringLiteral("Maskquill");
const QString kSettingsSection = QStringLiteral("Settings");

struct ButtonSpec {
    const char* key;
    const char* description;
    int image;  // 1..10, 0 for a separator
    const char* tip;
    const char* window = nullptr;  // the window it opens, unless registerTool names another
};

// Toolbar1, buttons 1..13.
const ButtonSpec kButtons[] = {
    {"exit", "Exit", 1, "Click here to exit the program"},
    {"", "", 0, ""},
    {"maskquill", "Maskquill", 2, "Click here to start the Maskquill"},
    {"calculator", "Calculator", 3, "Click here to use the binary calculator", "bindec"},
    {"macc", "MAC Converter", 4, "Click here to start the MAC conversion utility", "macconv"},
    {"commonlist", "Common List", 6, "Click here for common lists", "clist"},
    {"vlsm", "VLSM Quill", 5, "Click here to use the Class C VLSM Quill", "Form10"},
    {"", "", 0, ""},
    {"save", "save", 7, "Click here to save the results to a file"},
    {"", "Print", 8, "Click here to print the results"},
    {"", "", 0, ""},
    {"about", "About", 9, "Click here for details about Maskquill", "frmAbout"},
    {"help", "Help", 10, "Help Information"},
};

// The "Tools" menu and the toolbar buttons behind the separator after button
// 13: one line a tool. The program registers each window under its name.
struct ToolSpec {
    const char* name;
    const char* caption;
    const char* tip;
    const char* image;  // in the toolbar resources, 16 px (with its @2x)
};
const ToolSpec kTools[] = {
    {"classless", "&Classless Calculator", "Click here to use the Classless Calculator", "classless.png"},
    {"planner", "&Network Planner", "Click here to plan a network's address space", "planner.png"},
};
constexpr int kFirstToolButton = 15;  // 14 is the separator

}  // namespace

FrmMain::FrmMain(CalculatorState& state, SettingsStore& store, QWidget* parent)
    : QMainWindow(parent), st(state), settings(store)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kProgramTitle));
    setFont(uiFont(8));
    mdi = new QMdiArea(this);
    mdi->setObjectName(QStringLiteral("MDIClient"));
    mdi->setAccessibleName(QStringLiteral("Open windows"));
    mdi->setAccessibleDescription(QStringLiteral("The calculator and the tools opened from the toolbar"));
    mdi->setBackground(QColor(128, 128, 128));
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi);
    buildMenus();
    buildToolbar();
    buildStatusBar();
    registerWindow(kCalculator, [this]() -> QWidget* {
        auto* doc = calculatorServices ? new Frmdoc(st, *calculatorServices) : new Frmdoc(st);
        if (calculatorHook)
            calculatorHook(*doc);
        return doc;
    });
    MDIForm_Load();
}

FrmMain::~FrmMain() = default;

// ---------------------------------------------------------------- building

QMenu* FrmMain::addMenu(const QString& caption, const QString& name)
{
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    // A drop-down is a window of its own and would take the desktop's font, not the menu bar's.
    menu->setFont(menuBar()->font());
    auto* style = new MenuCheckStyle;
    style->setParent(menu);
    menu->setStyle(style);
    return menu;
}

void FrmMain::buildMenus()
{
    QMenu* file = addMenu(QStringLiteral("&File"), QStringLiteral("File"));
    QAction* save = file->addAction(QStringLiteral("Save"), this, [this] { Save_Click(); });
    save->setObjectName(QStringLiteral("Save"));
    QAction* print = file->addAction(QStringLiteral("Print"), this, [this] { Print_Click(); });
    print->setObjectName(QStringLiteral("Print"));
    file->addSeparator()->setObjectName(QStringLiteral("mnufilebar1"));
    QAction* exit = file->addAction(QStringLiteral("Exit"), this, [this] { Exit_Click(); });
    exit->setObjectName(QStringLiteral("Exit"));

    mnuWindow = addMenu(QStringLiteral("&Window"), QStringLiteral("mnuWindow"));
    connect(mnuWindow, &QMenu::aboutToShow, this, [this] { fillWindowList(); });
    fillWindowList();

    QMenu* tools = addMenu(QStringLiteral("&Tools"), QStringLiteral("mnuTools"));
    for (const ToolSpec& tool : kTools) {
        const QString name = QString::fromUtf8(tool.name);
        tools->addAction(QString::fromUtf8(tool.caption), this, [this, name] { showWindow(name); })
            ->setObjectName(QStringLiteral("mnuTools_") + name);
    }

    QMenu* help = addMenu(QStringLiteral("&Help"), QStringLiteral("mnuHelp"));
    help->addAction(QStringLiteral("Help "), this, [this] { mnuHelpContents_Click(); })
        ->setObjectName(QStringLiteral("mnuHelpContents"));
    help->addSeparator()->setObjectName(QStringLiteral("mnuHelpBar1"));
    help->addAction(QStringLiteral("&About Maskquill..."), this, [this] { mnuHelpAbout_Click(); })
        ->setObjectName(QStringLiteral("mnuHelpAbout"));
}

void FrmMain::fillWindowList()
{
    mnuWindow->clear();
    mnuWindow->addAction(QStringLiteral("&Cascade"), this, [this] { mnuWindowCascade_Click(); })
        ->setObjectName(QStringLiteral("mnuWindowCascade"));
    mnuWindow->addAction(QStringLiteral("Tile &Horizontal"), this, [this] { mnuWindowTileHorizontal_Click(); })
        ->setObjectName(QStringLiteral("mnuWindowTileHorizontal"));
    mnuWindow->addAction(QStringLiteral("Tile &Vertical"), this, [this] { mnuWindowTileVertical_Click(); })
        ->setObjectName(QStringLiteral("mnuWindowTileVertical"));
    mnuWindow->addAction(QStringLiteral("&Arrange Icons"), this, [this] { mnuWindowArrangeIcons_Click(); })
        ->setObjectName(QStringLiteral("mnuWindowArrangeIcons"));
    const auto subs = mdi->subWindowList(QMdiArea::CreationOrder);
    bool first = true;
    int n = 0;
    for (QMdiSubWindow* sub : subs) {
        if (!sub->isVisible())
            continue;
        if (first) {
            mnuWindow->addSeparator();
            first = false;
        }
        ++n;
        QAction* a = mnuWindow->addAction(QStringLiteral("&%1 %2").arg(n).arg(sub->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == activeSubWindow());
        QPointer<QMdiSubWindow> target(sub);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target) {
                target->showNormal();
                mdi->setActiveSubWindow(target);
            }
        });
    }
}

void FrmMain::buildToolbar()
{
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const std::vector<QIcon> imlIcons = toolImages();
    int index = 0;
    for (const ButtonSpec& button : kButtons) {
        ++index;
        QAction* a = nullptr;
        if (button.image == 0) {
            a = Toolbar1->addSeparator();
        } else {
            a = Toolbar1->addAction(imlIcons[static_cast<std::size_t>(button.image - 1)],
                                    QString::fromUtf8(button.description));
            a->setToolTip(QString::fromUtf8(button.tip));
            connect(a, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
            if (QWidget* w = Toolbar1->widgetForAction(a)) {
                // The tools open from the toolbar alone: Tab reaches its buttons, Space presses
                // them. Exit, which ends the program at once, is left to the File menu, so that
                // the focus starts on the calculator's button.
                if (index != 1)
                    w->setFocusPolicy(Qt::TabFocus);
                w->setAccessibleName(a->text() == QLatin1String("save") ? QStringLiteral("Save") : a->text());
                w->setAccessibleDescription(a->toolTip());
            }
        }
        a->setObjectName(button.key[0] ? QString::fromUtf8(button.key) : QStringLiteral("Button%1").arg(index));
        a->setData(index);
        buttons.push_back(a);
    }
    ++index;
    buttons.push_back(Toolbar1->addSeparator());
    buttons.back()->setObjectName(QStringLiteral("Button%1").arg(index));
    for (const ToolSpec& tool : kTools) {
        ++index;
        const QString name = QString::fromUtf8(tool.name);
        QAction* a = Toolbar1->addAction(toolImage(QString::fromUtf8(tool.image)),
                                         QString::fromUtf8(tool.caption).remove(QLatin1Char('&')));
        a->setObjectName(name);
        a->setToolTip(QString::fromUtf8(tool.tip));
        a->setData(index);
        connect(a, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
        if (QWidget* w = Toolbar1->widgetForAction(a)) {
            w->setFocusPolicy(Qt::TabFocus);
            w->setAccessibleName(a->text());
            w->setAccessibleDescription(a->toolTip());
        }
        buttons.push_back(a);
    }
}

void FrmMain::buildStatusBar()
{
    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("sbStatusBar"));
    sb->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(sb);
        l->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setContentsMargins(4, 0, 4, 0);
        if (i == 0)
            sb->addWidget(l, 1);
        else
            sb->addPermanentWidget(l);
        panels[i] = l;
    }
    auto* clock = new QTimer(this);
    clock->setObjectName(QStringLiteral("clock"));
    connect(clock, &QTimer::timeout, this, [this] { updateClock(); });
    clock->start(1000);
    updateClock();
}

void FrmMain::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    panels[1]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    panels[2]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

QAction* FrmMain::toolbarButton(int index) const
{
    return index >= 1 && index <= static_cast<int>(buttons.size()) ? buttons[static_cast<std::size_t>(index - 1)]
                                                                   : nullptr;
}

QLabel* FrmMain::statusPanel(int index) const
{
    return index >= 1 && index <= 3 ? panels[index - 1] : nullptr;
}

// ---------------------------------------------------------------- load and unload

void FrmMain::MDIForm_Load()
{
    // The window always opens here, whatever the settings store holds.
    move(twipsToPixels(200), twipsToPixels(200));
    resize(twipsToPixels(9820), twipsToPixels(8500));
    st.subnetZero = "n";
    st.keepResults = "n";
}

void FrmMain::MDIForm_Unload()
{
    if (isMinimized())
        return;
    // All four describe the outer window, frame included, as the left and top edges do.
    const QRect frame = frameGeometry();
    const auto twips = [](int pixels) { return QString::number(pixelsToTwips(pixels)); };
    settings.saveSettings(kSettingsApp, kSettingsSection,
                          {{QStringLiteral("MainLeft"), twips(frame.x())},
                           {QStringLiteral("MainTop"), twips(frame.y())},
                           {QStringLiteral("MainWidth"), twips(frame.width())},
                           {QStringLiteral("MainHeight"), twips(frame.height())}});
}

bool FrmMain::guardsAllowClosing()
{
    for (const auto& guard : closeGuards)
        if (guard && !guard())
            return false;
    return true;
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    // A window with unsaved work may keep the program open.
    if (!exiting && !guardsAllowClosing()) {
        event->ignore();
        return;
    }
    if (!exiting) {
        MDIForm_Unload();
        for (const auto& step : unloadSteps)
            step();
    }
    // Closing the main window ends the program: take every tool window with it.
    for (auto it = entries.begin(); it != entries.end(); ++it)
        if (it->widget && it->widget->isWindow())
            it->widget->close();
    event->accept();
}

void FrmMain::Exit_Click()
{
    // Only a window with unsaved work asks; every other window goes at once.
    if (!guardsAllowClosing())
        return;
    exiting = true;
    if (exitHandler)
        exitHandler();
    else
        QCoreApplication::exit(0);
}

// ---------------------------------------------------------------- commands

void FrmMain::Toolbar1_ButtonClick(int index)
{
    switch (index) {
    case 1: Exit_Click(); break;
    case 3: proc3(); break;
    case 5: macconvert(); break;
    case 9: saveopt(); break;
    case 10: printopt(); break;
    case 13: helpopt(); break;
    default:  // the windows' buttons; separators open none
        if (const QString name = toolWindow(index); !name.isEmpty())
            showWindow(name);
        break;
    }
}

QString FrmMain::toolWindow(int index) const
{
    if (index >= 1 && index <= static_cast<int>(std::size(kButtons))) {
        const char* own = kButtons[index - 1].window;
        return own ? toolWindows.value(index, QString::fromUtf8(own)) : QString();
    }
    if (index >= kFirstToolButton && index < kFirstToolButton + static_cast<int>(std::size(kTools)))
        return QString::fromUtf8(kTools[index - kFirstToolButton].name);
    return {};
}

void FrmMain::proc3()
{
    showWindow(kCalculator);
    if (QMdiSubWindow* sub = subWindow(kCalculator)) {
        // Every click puts the calculator back at its place and size.
        sub->showNormal();
        sub->setGeometry(twipsRect(1, 1, 8640, 7065));
    }
}

void FrmMain::macconvert()
{
    showWindow(toolWindow(5));
}

void FrmMain::mnuHelpAbout_Click()
{
    showWindow(toolWindow(12));
}

void FrmMain::saveopt()
{
    if (saveHandler)
        saveHandler(*this);
}

void FrmMain::printopt()
{
    if (printHandler)
        printHandler(*this);
}

void FrmMain::helpopt()
{
    if (helpHandler)
        helpHandler(*this);
}

void FrmMain::arrange(int mode)
{
    QList<QMdiSubWindow*> open;
    QList<QMdiSubWindow*> icons;
    for (QMdiSubWindow* sub : mdi->subWindowList(QMdiArea::StackingOrder)) {
        if (!sub->isVisible())
            continue;
        (sub->isMinimized() ? icons : open) << sub;
    }
    const QRect area = mdi->viewport()->rect();
    switch (mode) {
    case 0: mdi->cascadeSubWindows(); break;
    case 1:
    case 2: {
        // Horizontal: one above the other, full width; vertical: side by side.
        const int n = static_cast<int>(open.size());
        for (int i = 0; i < n; ++i) {
            QRect r = mode == 1 ? QRect(0, area.height() * i / n, area.width(), area.height() / n)
                                : QRect(area.width() * i / n, 0, area.width() / n, area.height());
            open[i]->showNormal();
            open[i]->setGeometry(r);
        }
        break;
    }
    case 3: {
        // Minimised windows in a row along the bottom edge.
        int x = 0;
        for (QMdiSubWindow* sub : icons) {
            const QSize s = sub->size();
            if (x > 0 && x + s.width() > area.width())
                x = 0;
            sub->move(x, area.height() - s.height());
            x += s.width();
        }
        break;
    }
    default: break;
    }
}

Frmdoc* FrmMain::calculator() const
{
    return qobject_cast<Frmdoc*>(findWindow(kCalculator));
}

}  // namespace mq::ui
