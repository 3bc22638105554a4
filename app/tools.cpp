#include "app/tools.h"
#include "ui/Form10/form10.h"
#include "ui/bindec/bindec.h"
#include "ui/dar/dar.h"
#include "ui/macconv/macconv.h"

#include "ui/classless/classless_window.h"
#include "ui/clist/clist.h"
#include "ui/frmAbout/frmabout.h"
#include "ui/help/help_window.h"
#include "ui/planner/planner.h"
#include "ui/platform/remembered.h"
#include "ui/reports/main_window_reports.h"

#include <QShortcut>

namespace mq::app {

void rememberWindows(ui::FrmMain& main)
{
    // Maskquill's own windows remember their state in the program's store; a window
    // still open when the main window closes keeps it then (Exit keeps nothing).
    ui::setRememberedStore(&main.settingsStore());
    main.addUnloadStep([&main] {
        if (auto* w = qobject_cast<ui::ClasslessWindow*>(main.findWindow(ui::kClasslessWindowName)))
            w->keepState();
        if (auto* w = qobject_cast<ui::Planner*>(main.findWindow("planner")))
            w->keepState();
    });
}

void registerTools(ui::FrmMain& main, CalculatorState& state)
{
    // Each tool: main.registerTool(<toolbar button>, "<window name>", [&] { return new <Window>(...); });
    // The address range window: opened by each calculator window, hidden (never closed) by its own buttons.
    main.registerWindow("dar", [] { return new ui::Dar; });
    main.setCalculatorHook([&main](ui::Frmdoc& doc) {
        ui::connectAddressRange(doc, [&main] { return qobject_cast<ui::Dar*>(main.showWindow("dar")); });
    });
    main.registerTool(4, "bindec", [] { return new ui::Bindec; });
    main.registerTool(5, "macconv", [] { return new ui::Macconv; });
    main.registerTool(7, "Form10", [] { return new ui::Form10; });
    main.registerTool(6, "clist", [] { return new ui::Clist; });
    main.registerTool(12, "frmAbout", [] { return new ui::FrmAbout; });
    // Tools menu (its entries are frmMain's table): the classless calculator.
    main.registerWindow(ui::kClasslessWindowName, [] { return new ui::ClasslessWindow; });
    // Tools menu: the network planner, which asks before unsaved changes are lost.
    main.registerWindow("planner", [] { return new ui::Planner; });
    main.addCloseGuard([&main] {
        auto* planner = qobject_cast<ui::Planner*>(main.findWindow("planner"));
        return !planner || planner->queryClose();
    });
    rememberWindows(main);
    main.addFileDrop(QStringLiteral("mqplan"), [&main](const QString& path) {
        if (auto* planner = qobject_cast<ui::Planner*>(main.showWindow("planner")))
            planner->openPlanFile(path.toStdString());
    });
    ui::installReports(main);  // Save and Print
    main.setHelpHandler([](ui::FrmMain& m) { ui::HelpWindow::showHelp(&m); });
    auto* helpKey = new QShortcut(QKeySequence::HelpContents, &main);  // F1, in every window
    helpKey->setContext(Qt::ApplicationShortcut);
    QObject::connect(helpKey, &QShortcut::activated, &main, [&main] { main.helpopt(); });
    (void)main;
    (void)state;
}

}  // namespace mq::app
