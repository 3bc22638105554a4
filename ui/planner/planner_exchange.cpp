// The planner window's exchange with other tools: the Import menu and the Export menu, the
// file types of Export (a workbook made on a worker under a dialog that can cancel it), the
// share link and the IPAM values. Each calls the form model, then refreshes the window.
#include "ui/planner/planner_exchange.h"

#include "ui/planner/accessible_widgets.h"
#include "ui/planner/workbook_progress.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

namespace mq::ui {

using interchange::Format;

Planner::Exchange::Exchange(Planner& w) : w(w) { }

QPushButton* Planner::Exchange::buildImportButton()
{
    auto* b = new MenuButton(QStringLiteral("I&mport"), &w);
    b->setObjectName(QStringLiteral("import"));
    b->setAccessibleName(QStringLiteral("Import"));
    b->setAccessibleDescription(QStringLiteral("Places prefixes already in use, or a plan from NetBox, phpIPAM or "
                                               "visualsubnetcalc, into this plan or a new one"));
    imports = new QMenu(b);
    imports->setObjectName(QStringLiteral("importMenu"));
    auto add = [this](QMenu* m, const char* name, const QString& text, auto fn) {
        QAction* a = m->addAction(text, &w, fn);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    add(imports, "actionImportInUse", QStringLiteral("&In-use prefixes from a file..."), [this] { importInUseFile(); });
    add(imports, "actionPasteInUse", QStringLiteral("&Paste in-use prefixes..."), [this] { importInUsePaste(); });
    imports->addSeparator();
    struct Source {
        const char* name;
        const char* text;
        Format format;
    };
    const Source sources[] = {{"NetBox", "&NetBox CSV...", Format::Netbox},
                              {"Phpipam", "p&hpIPAM CSV...", Format::Phpipam},
                              {"VscJson", "&visualsubnetcalc JSON...", Format::VscJson}};
    for (const Source& s : sources)
        add(imports, (std::string("actionImport") + s.name).c_str(), QString::fromUtf8(s.text),
            [this, f = s.format] { importFormat(f, false); });
    add(imports, "actionImportLink", QStringLiteral("Paste a visualsubnetcalc &link..."),
        [this] { importLink(false); });
    imports->addSeparator();
    // Hosts and ranges go into the blocks of this plan that hold them.
    struct HostSource {
        const char* name;
        const char* text;
        interchange::HostFormat format;
    };
    const HostSource hostSources[] = {
        {"actionImportHostsCsv", "Hosts from a &CSV...", interchange::HostFormat::Csv},
        {"actionImportNetboxHosts", "NetBox IP &addresses or ranges CSV...", interchange::HostFormat::Netbox},
        {"actionImportPhpipamHosts", "phpIPAM IP a&ddresses CSV...", interchange::HostFormat::Phpipam},
        {"actionImportEtcHosts", "Hosts &file (/etc/hosts)...", interchange::HostFormat::EtcHosts}};
    for (const HostSource& s : hostSources)
        add(imports, s.name, QString::fromUtf8(s.text), [this, f = s.format] {
            w.model->importHostsFile(f);
            w.refresh();
        });
    QMenu* asNew = imports->addMenu(QStringLiteral("As a ne&w plan"));
    asNew->setObjectName(QStringLiteral("importNewMenu"));
    for (const Source& s : sources)
        add(asNew, (std::string("actionNewFrom") + s.name).c_str(), QString::fromUtf8(s.text),
            [this, f = s.format] { importFormat(f, true); });
    add(asNew, "actionNewFromLink", QStringLiteral("Paste a visualsubnetcalc &link..."), [this] { importLink(true); });
    b->setMenu(imports);
    return b;
}

void Planner::Exchange::buildExportMenu()
{
    auto* exportButton = w.findChild<QPushButton*>(QStringLiteral("export"));
    exports = new QMenu(exportButton);
    exports->setObjectName(QStringLiteral("exportMenu"));
    exports->addAction(w.findChild<QAction*>(QStringLiteral("actionExport")));
    exports->addAction(QStringLiteral("Copy visualsubnetcalc &link"), &w, [this] { copyVscLink(); })
        ->setObjectName(QStringLiteral("actionCopyLink"));
    exports->addSeparator();
    exports->addAction(QStringLiteral("IPAM &values..."), &w, [this] { editIpamValues(); })
        ->setObjectName(QStringLiteral("actionIpamValues"));
    exports->addSeparator();
    // The DHCP and DNS servers' files; Ctrl+Shift+E beside Export's Ctrl+E.
    auto* outputs = new QAction(QStringLiteral("&Outputs..."), &w);
    outputs->setObjectName(QStringLiteral("actionOutputs"));
    outputs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    outputs->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(outputs, &QAction::triggered, &w, &Planner::editOutputs);
    w.addAction(outputs);
    exports->addAction(outputs);
    exportButton->setMenu(exports);
}

void Planner::Exchange::importInUseFile()
{
    w.model->importInUseFile();
    w.refresh();
}

void Planner::Exchange::importInUsePaste()
{
    w.model->importInUsePaste();
    w.refresh();
}

void Planner::Exchange::importFormat(Format format, bool asNewPlan)
{
    w.model->importFormatFile(format, asNewPlan);
    w.refresh();
}

void Planner::Exchange::importLink(bool asNewPlan)
{
    w.model->importLinkPaste(asNewPlan);
    w.refresh();
}

void Planner::Exchange::copyVscLink()
{
    w.model->copyVscLink();
}

void Planner::Exchange::editIpamValues()
{
    w.model->editIpamValues();
    w.refresh();
}

void Planner::Exchange::exportFile()
{
    const auto choice = w.model->chooseExport();
    if (!choice)
        return;
    // A workbook of a large plan takes a second or more: made on a worker, under a dialog
    // that can cancel it.
    if (auto job = w.model->startWorkbook(choice->path, choice->type)) {
        new WorkbookProgress(&w, std::move(job), [this](const planner::WorkbookExport& made) {
            w.model->finishWorkbook(made);
            w.refresh();
        });
        return;
    }
    w.model->exportTo(choice->path, choice->type);
    w.refresh();
}

void Planner::Exchange::copyAllocations()
{
    w.model->copyAllocations();
}

}  // namespace mq::ui
