#include "ui/reports/main_window_reports.h"

#include "reports/child_report.h"
#include "ui/Form10/form10.h"
#include "ui/frmMain/frm_main.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/platform/qt_services.h"

namespace mq::ui {

MainWindowReports::MainWindowReports(FrmMain& mainWindow, Services* services)
    : QObject(&mainWindow), main(mainWindow),
      ownServices(services ? nullptr : std::make_unique<QtServices>(&mainWindow)),
      sv(services ? *services : *ownServices), out(&mainWindow), reports(sv, out)
{
    setObjectName(QStringLiteral("MainWindowReports"));
    reports.calculatorInput = [this] {
        Frmdoc* doc = qobject_cast<Frmdoc*>(active.data());
        if (!doc)
            doc = main.calculator();
        return doc ? calculatorReportInput(doc->model()) : CalculatorReportInput{};
    };
    reports.vlsmInput = [this] {
        auto* vlsm = qobject_cast<Form10*>(active.data());
        return vlsm ? vlsm->resultLines() : std::vector<std::string>{};
    };
    // The handlers outlive this object when it is deleted before the window.
    QPointer<MainWindowReports> self(this);
    main.setSaveHandler([self](FrmMain&) {
        if (self)
            self->saveopt();
    });
    main.setPrintHandler([self](FrmMain&) {
        if (self)
            self->printopt();
    });
}

MainWindowReports::~MainWindowReports() = default;

std::optional<std::string> MainWindowReports::activeName()
{
    active = main.activeChild();
    if (!active)
        return std::nullopt;
    return active->objectName().toStdString();
}

void MainWindowReports::saveopt()
{
    const auto name = activeName();
    if (auto* own = dynamic_cast<ChildReport*>(active.data()))
        return own->saveReport(sv, out);
    reports.saveopt(name);
}

void MainWindowReports::printopt()
{
    const auto name = activeName();
    if (auto* own = dynamic_cast<ChildReport*>(active.data()))
        return own->printReport(sv, out);
    reports.printopt(name);
}

MainWindowReports* installReports(FrmMain& main)
{
    if (auto* existing =
            main.findChild<MainWindowReports*>(QStringLiteral("MainWindowReports"), Qt::FindDirectChildrenOnly))
        return existing;
    return new MainWindowReports(main);
}

}  // namespace mq::ui
