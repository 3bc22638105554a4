// Maskquill: an IPv4 and IPv6 subnetting workbench.
//
//   app/        main(): the splash, the main window, the one calculator state,
//    |          the settings store, the tools registered with the main window
//   ui/<window> Qt widgets of one window; they forward user events to the window's
//    |          form model and copy its fields back into the widgets
//   ui/platform message boxes, prompt, focus, clipboard, settings through Qt
//    |
//   core/ vlsm/ convert/ reference/ reports/
//               the logic and the form models of the classic windows, standard C++ only
//   classless/ planner/
//    |          the form models of the Classless Calculator and the Network Planner
//   interchange/ other tools' formats (NetBox, phpIPAM, visualsubnetcalc) to and from plans
//    |
//   plan/       network plans: blocks, allocation, segment lists, the .mqplan document
//    |
//   net/        the classless IPv4/IPv6 engine
//    |
//   textio/     the syntax of every text format: lines, CSV, JSON, UTF-8, escaped quoting
//               (all of these standard C++; app/mqnet/ is the command line on them)
//
// A keystroke in an octet field of the calculator:
//   QLineEdit key press -> Frmdoc::eventFilter -> FrmdocModel::Text3_KeyPress
//     (digits and backspace pass; "." asks Services::sendTab, the rest beeps)
//   -> the QLineEdit inserts the digit -> textEdited -> FrmdocModel::Text3_Change
//     (classifies, rebuilds the choice lists, writes the binary display into the
//     model's fields; messages go through Services, which first refreshes the window)
//   -> Frmdoc::refresh copies the model's fields into the widgets.
#include "app/display_check.h"
#include "app/tools.h"
#include "core/calculator_state.h"
#include "packaging/icon/app_icon.h"
#include "ui/frmMain/frm_main.h"
#include "ui/frmSplash/frm_splash.h"
#include "ui/planner/planner.h"
#include "ui/platform/settings_store.h"

#include <QApplication>
#include <QTimer>
#include <memory>
#include <optional>

int main(int argc, char** argv)
{
    if (!mq::app::displayNamed(argc, argv))
        return mq::app::reportNoDisplay();
    std::optional<mq::app::DisplayGuard> guard(std::in_place);
    QApplication app(argc, argv);
    guard.reset();
    QApplication::setApplicationName(QStringLiteral("Maskquill"));
    QApplication::setOrganizationName(QStringLiteral("Maskquill"));
    QApplication::setApplicationVersion(QStringLiteral("5.1"));
    QApplication::setWindowIcon(mq::app::appIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("maskquill"));

    // Program-wide: created empty at start, alive until the program ends.
    mq::CalculatorState state;
    mq::ui::QtSettingsStore settings;
    std::unique_ptr<mq::ui::FrmMain> mainWindow;

    // `maskquill PLAN.mqplan` opens the plan in the Network Planner once the main window shows.
    const QStringList args = QApplication::arguments();
    const QString planFile = args.size() > 1 && !args.at(1).startsWith(QLatin1Char('-')) ? args.at(1) : QString();
    auto* splash = new mq::ui::FrmSplash([&]() -> QWidget* {
        mainWindow = std::make_unique<mq::ui::FrmMain>(state, settings);
        mq::app::registerTools(*mainWindow, state);
        if (!planFile.isEmpty()) {
            auto* shown = new QTimer(mainWindow.get());
            QObject::connect(shown, &QTimer::timeout, mainWindow.get(), [&, shown] {
                if (!mainWindow->isVisible())
                    return;
                shown->stop();
                if (auto* planner = qobject_cast<mq::ui::Planner*>(mainWindow->showWindow(QStringLiteral("planner"))))
                    planner->openPlanFile(planFile.toStdString());
            });
            shown->start(50);
        }
        return mainWindow.get();
    });
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->Form_Load();

    const int rc = QApplication::exec();
    mainWindow.reset();
    return rc;
}
