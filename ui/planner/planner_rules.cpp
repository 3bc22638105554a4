// The planner window's plan rules beside the sizing check boxes: the public cloud whose
// address rules the IPv4 blocks follow, Reserve in the block menu, and the Subnet rules
// dialog.
#include "plan/cloud.h"
#include "ui/planner/elided_label.h"
#include "ui/planner/planner.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

namespace mq::ui {

namespace {

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

void Planner::refreshRules()
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

void Planner::buildReserveAction()
{
    reserveAction = menu->addAction(QStringLiteral("Reser&ve"), this, &Planner::reserveChosen);
    reserveAction->setObjectName(QStringLiteral("actionReserve"));
    reserveAction->setCheckable(true);
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

void Planner::editSubnetRules()
{
    model->editSubnetRules();
    refresh();
}

}  // namespace mq::ui
