// The main window: a multiple-document window that owns every tool window,
// with its menus, toolbar and status bar.
#pragma once

#include "core/calculator_state.h"
#include "core/services.h"
#include "ui/platform/settings_store.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <functional>
#include <vector>

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QMimeData;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace mq::ui {

class Frmdoc;

class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Creating the window loads it (MDIForm_Load); it is not shown.
    FrmMain(CalculatorState& state, SettingsStore& settings, QWidget* parent = nullptr);
    ~FrmMain() override;

    // ---- tool windows
    // A child window made on first use by `make`, shown again afterwards and made
    // afresh once it has been closed. `name` becomes its objectName.
    void registerWindow(const QString& name, std::function<QWidget*()> make);
    // The same, opened by toolbar button `toolbarIndex` in place of the window
    // the button names itself. A QDialog opens as a window of its own.
    void registerTool(int toolbarIndex, const QString& name, std::function<QWidget*()> make);
    // Shows the one instance of the named window and brings it to the front;
    // nullptr when no such window is registered.
    QWidget* showWindow(const QString& name);
    // The open instance, or nullptr.
    QWidget* findWindow(const QString& name) const;
    QMdiSubWindow* subWindow(const QString& name) const;
    // The active child window: the topmost one that shows (a tool hidden by its
    // Done button no longer counts); nullptr when none shows.
    QMdiSubWindow* activeSubWindow() const;
    // Its widget and name ("frmdoc", "Form10", ...).
    QWidget* activeChild() const;
    QString activeChildName() const;
    Frmdoc* calculator() const;

    // Runs for every new calculator window (wires the address range window).
    void setCalculatorHook(std::function<void(Frmdoc&)> hook) { calculatorHook = std::move(hook); }
    // Services for new calculator windows; by default each gets the real dialogs.
    void setCalculatorServices(Services* services) { calculatorServices = services; }
    // What Save, Print and Help do; nothing until set.
    void setSaveHandler(std::function<void(FrmMain&)> h) { saveHandler = std::move(h); }
    void setPrintHandler(std::function<void(FrmMain&)> h) { printHandler = std::move(h); }
    void setHelpHandler(std::function<void(FrmMain&)> h) { helpHandler = std::move(h); }
    // Asked before the program ends by Exit or by closing the main window;
    // false keeps it running (a window with unsaved work whose user cancelled).
    void addCloseGuard(std::function<bool()> guard) { closeGuards.push_back(std::move(guard)); }
    // Runs when the main window closes (after the guards let it), beside
    // MDIForm_Unload; Exit runs none of them.
    void addUnloadStep(std::function<void()> step) { unloadSteps.push_back(std::move(step)); }
    // A file of this extension ("mqplan") dropped on the main window, or on a
    // child window that takes no drops itself, is handed to `open`.
    void addFileDrop(const QString& extension, std::function<void(const QString& path)> open);
    // How Exit ends the program; by default the event loop ends at once.
    void setExitHandler(std::function<void()> h) { exitHandler = std::move(h); }

    // ---- handlers and procedures
    void MDIForm_Load();
    void MDIForm_Unload();
    void Exit_Click();
    void Save_Click() { saveopt(); }
    void Print_Click() { printopt(); }
    void mnuWindowCascade_Click() { arrange(0); }
    void mnuWindowTileHorizontal_Click() { arrange(1); }
    void mnuWindowTileVertical_Click() { arrange(2); }
    void mnuWindowArrangeIcons_Click() { arrange(3); }
    void mnuHelpContents_Click() { helpopt(); }
    void mnuHelpAbout_Click();
    void Toolbar1_ButtonClick(int index);
    void proc3();
    void macconvert();
    void saveopt();
    void printopt();
    void helpopt();
    // Arrangement modes: 0 cascade, 1 tile horizontal, 2 tile vertical, 3 arrange icons.
    void arrange(int mode);

    // ---- parts, for the windows that build on this one
    QMdiArea* mdiArea() const { return mdi; }
    QToolBar* toolbar() const { return Toolbar1; }
    QAction* toolbarButton(int index) const;
    QLabel* statusPanel(int index) const;  // 1 text, 2 date, 3 time
    CalculatorState& calculatorState() { return st; }
    SettingsStore& settingsStore() { return settings; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Entry {
        std::function<QWidget*()> make;
        QPointer<QWidget> widget;
    };
    void buildMenus();
    QMenu* addMenu(const QString& caption, const QString& name);
    void buildToolbar();
    void buildStatusBar();
    void updateClock();
    // The window toolbar button `index` opens; empty for one that opens none.
    QString toolWindow(int index) const;
    void fillWindowList();
    void makeRoomFor(QMdiSubWindow* sub);
    QMdiSubWindow* topmostVisible(const QMdiSubWindow* except = nullptr) const;
    // Activates the topmost child that shows once the active one has been hidden.
    void handOnActivation();
    bool guardsAllowClosing();

    CalculatorState& st;
    SettingsStore& settings;
    QMdiArea* mdi = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QMenu* mnuWindow = nullptr;
    std::vector<QAction*> buttons;  // index 1..13 at 0..12, then the separator and the tools
    QLabel* panels[3] = {};
    QMap<QString, Entry> entries;
    QMap<int, QString> toolWindows;  // registerTool's windows in place of the buttons' own
    std::function<void(Frmdoc&)> calculatorHook;
    Services* calculatorServices = nullptr;
    std::function<void(FrmMain&)> saveHandler, printHandler, helpHandler;
    std::function<void()> exitHandler;
    std::vector<std::function<bool()>> closeGuards;
    std::vector<std::function<void()>> unloadSteps;
    QMap<QString, std::function<void(const QString&)>> fileDrops;  // by lower-case extension
    // The first dropped local file of an extension taken, and what opens it.
    std::pair<QString, std::function<void(const QString&)>> dropped(const QMimeData* data) const;
    bool exiting = false;
    bool handOnQueued = false;  // a hand-over waits in the event queue
    bool handingOn = false;  // the hand-over is activating a child
    bool hiddenWasMaximised = false;  // the active child was maximised when it hid
};

}  // namespace mq::ui
