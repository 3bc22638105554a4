// The planner window's exchange with other tools: the Import menu, the Export
// menu's link and IPAM values, Reserve in the block menu, and the cloud mode
// beside the sizing check boxes. Each calls the form model, then refresh().
#include "plan/cloud.h"
#include "ui/planner/accessible_widgets.h"
#include "ui/planner/elided_label.h"
#include "ui/planner/plan_tree_model.h"
#include "ui/planner/planner.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

namespace mq::ui {

namespace {

using interchange::Format;

constexpr plan::CloudMode kModes[] = {plan::CloudMode::None, plan::CloudMode::Aws, plan::CloudMode::Azure,
                                      plan::CloudMode::Gcp, plan::CloudMode::Oci};

QString modeLabel(plan::CloudMode mode)
{
    switch (mode) {
    case plan::CloudMode::None: return QStringLiteral("Standard rules");
    case plan::CloudMode::Gcp: return QStringLiteral("Google Cloud");
    case plan::CloudMode::Oci: return QStringLiteral("Oracle Cloud");
    default:
        return QString::fromUtf8(plan::cloudRules(mode).label.data(),
                                 static_cast<qsizetype>(plan::cloudRules(mode).label.size()));
    }
}

}  // namespace

QPushButton* Planner::buildImportButton()
{
    auto* b = new MenuButton(QStringLiteral("I&mport"), this);
    b->setObjectName(QStringLiteral("import"));
    b->setAccessibleName(QStringLiteral("Import"));
    b->setAccessibleDescription(QStringLiteral("Places prefixes already in use, or a plan from NetBox, phpIPAM or "
                                               "visualsubnetcalc, into this plan or a new one"));
    imports = new QMenu(b);
    imports->setObjectName(QStringLiteral("importMenu"));
    auto add = [this](QMenu* m, const char* name, const QString& text, auto fn) {
        QAction* a = m->addAction(text, this, fn);
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
            model->importHostsFile(f);
            refresh();
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

void Planner::buildExchangeActions()
{
    auto* exportButton = findChild<QPushButton*>(QStringLiteral("export"));
    exports = new QMenu(exportButton);
    exports->setObjectName(QStringLiteral("exportMenu"));
    exports->addAction(findChild<QAction*>(QStringLiteral("actionExport")));
    exports->addAction(QStringLiteral("Copy visualsubnetcalc &link"), this, &Planner::copyVscLink)
        ->setObjectName(QStringLiteral("actionCopyLink"));
    exports->addSeparator();
    exports->addAction(QStringLiteral("IPAM &values..."), this, &Planner::editIpamValues)
        ->setObjectName(QStringLiteral("actionIpamValues"));
    exports->addSeparator();
    // The DHCP and DNS servers' files; Ctrl+Shift+E beside Export's Ctrl+E.
    auto* outputs = new QAction(QStringLiteral("&Outputs..."), this);
    outputs->setObjectName(QStringLiteral("actionOutputs"));
    outputs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    outputs->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(outputs, &QAction::triggered, this, &Planner::editOutputs);
    addAction(outputs);
    exports->addAction(outputs);
    exportButton->setMenu(exports);

    reserveAction = menu->addAction(QStringLiteral("Reser&ve"), this, &Planner::reserveChosen);
    reserveAction->setObjectName(QStringLiteral("actionReserve"));
    reserveAction->setCheckable(true);
}

QComboBox* Planner::buildCloudBox(QWidget* parent)
{
    cloud = new QComboBox(parent);
    cloud->setObjectName(QStringLiteral("cloud"));
    cloud->setAccessibleName(QStringLiteral("Cloud address rules"));
    cloud->setToolTip(QStringLiteral("The addresses a public cloud keeps back in each IPv4 subnet and the subnet "
                                     "sizes it allows: usable hosts, first usable and the allocation follow them"));
    cloud->setAccessibleDescription(cloud->toolTip());
    for (plan::CloudMode m : kModes)
        cloud->addItem(modeLabel(m), static_cast<int>(m));
    connect(cloud, &QComboBox::activated, this, &Planner::cloudChanged);
    return cloud;
}

void Planner::refreshExchange()
{
    const plan::Plan& p = model->plan();
    const int at = cloud->findData(static_cast<int>(p.settings().cloud));
    if (cloud->currentIndex() != at)
        cloud->setCurrentIndex(at);
    const plan::BlockId id = currentBlock();
    reserveAction->setEnabled(!allocationRunning() && model->canReserve(id));
    reserveAction->setChecked(model->isReserved(id));
    if (p.settings().cloud != plan::CloudMode::None)
        status->setText(status->text() + QStringLiteral("; %1 address rules").arg(modeLabel(p.settings().cloud)));
}

void Planner::importInUseFile()
{
    model->importInUseFile();
    refresh();
}

void Planner::importInUsePaste()
{
    model->importInUsePaste();
    refresh();
}

void Planner::importFormat(Format format, bool asNewPlan)
{
    model->importFormatFile(format, asNewPlan);
    refresh();
}

void Planner::importLink(bool asNewPlan)
{
    model->importLinkPaste(asNewPlan);
    refresh();
}

void Planner::copyVscLink()
{
    model->copyVscLink();
}

void Planner::editIpamValues()
{
    model->editIpamValues();
    refresh();
}

void Planner::reserveChosen()
{
    const plan::BlockId id = currentBlock();
    prefer = model->plan().block(id).prefix;
    model->reserve(id, !model->isReserved(id));
    refresh();
}

void Planner::cloudChanged()
{
    model->setCloudMode(static_cast<plan::CloudMode>(cloud->currentData().toInt()));
    refresh();
}

}  // namespace mq::ui
