#include "ui/planner/subnet_rules_dialog.h"

#include "planner/subnet_rules.h"
#include "textio/escape.h"
#include "ui/platform/theme.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace mq::ui {

namespace {

QComboBox* choices(QWidget* parent, const char* name, const char* accessible, std::initializer_list<const char*> items,
                   int current)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(QString::fromLatin1(accessible));
    for (const char* item : items)
        box->addItem(QString::fromLatin1(item));
    box->setCurrentIndex(current);
    return box;
}

QLineEdit* offsetBox(QWidget* parent, const char* name, const char* accessible, net::u128 value)
{
    auto* e = new QLineEdit(QString::fromStdString(net::toDecimal(value)), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(QString::fromLatin1(accessible));
    e->setAccessibleDescription(QStringLiteral("Offset from the block's network address, which is offset 0"));
    return e;
}

}  // namespace

SubnetRulesDialog::SubnetRulesDialog(QWidget* parent, const plan::LayoutRules& r, plan::CloudMode cloud)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("subnetRulesDialog"));
    setWindowTitle(QStringLiteral("Subnet Rules"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("What every assigned block follows unless it sets its own in the subnet "
                                            "panel. Offsets count from the block's network address (offset 0)."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    gateway = choices(this, "gatewayRule", "Gateway", {"None", "First usable address", "Last usable address"},
                      static_cast<int>(r.gateway == plan::GatewayRule::None          ? 0
                                       : r.gateway == plan::GatewayRule::FirstUsable ? 1
                                                                                     : 2));
    form->addRow(QStringLiteral("&Gateway:"), gateway);
    kept = new QSpinBox(this);
    kept->setObjectName(QStringLiteral("keptCount"));
    kept->setAccessibleName(QStringLiteral("Kept for network devices"));
    kept->setRange(0, plan::kMaxKept);
    kept->setValue(r.kept);
    kept->setSuffix(QStringLiteral(" addresses"));
    form->addRow(QStringLiteral("&Kept for network devices:"), kept);
    // The count is of the first usable addresses: a first-address gateway is one of them.
    auto* keptNote = new QLabel(QStringLiteral("The first usable addresses of each block, the gateway among them "
                                               "when it is the first usable address."),
                                this);
    keptNote->setObjectName(QStringLiteral("keptNote"));
    keptNote->setWordWrap(true);
    form->addRow(QString(), keptNote);
    kept->setAccessibleDescription(keptNote->text());
    if (const std::string note = planner::cloudRulesNote(cloud); !note.empty()) {
        auto* fixed = new QLabel(QString::fromStdString(note), this);
        fixed->setObjectName(QStringLiteral("cloudFixed"));
        fixed->setWordWrap(true);
        form->addRow(QString(), fixed);
        gateway->setAccessibleDescription(fixed->text());
        kept->setAccessibleDescription(fixed->text());
    }
    range = choices(this, "rangeRule", "DHCP range", {"None", "Upper half of the block", "From offset to offset"},
                    static_cast<int>(r.range));
    form->addRow(QStringLiteral("&DHCP range:"), range);
    from = offsetBox(this, "rangeFrom", "Range from offset", r.rangeFrom);
    to = offsetBox(this, "rangeTo", "Range to offset", r.rangeTo);
    form->addRow(QStringLiteral("&From offset:"), from);
    form->addRow(QStringLiteral("&To offset:"), to);
    dhcp6 = choices(this, "dhcp6Mode", "IPv6 addresses", {"SLAAC only", "Stateful DHCPv6", "SLAAC and DHCPv6"},
                    static_cast<int>(r.dhcp6));
    form->addRow(QStringLiteral("&IPv6 addresses:"), dhcp6);
    layout->addLayout(form);
    error = new QLabel(this);
    error->setObjectName(QStringLiteral("rulesError"));
    error->setWordWrap(true);
    setAccentText(error, Accent::Warning);
    error->hide();
    layout->addWidget(error);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SubnetRulesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(range, &QComboBox::currentIndexChanged, this, [this] { rangeRuleChanged(); });
    rangeRuleChanged();
    setMinimumWidth(460);
}

void SubnetRulesDialog::rangeRuleChanged()
{
    const bool offsets = range->currentIndex() == static_cast<int>(plan::RangeRule::Offsets);
    from->setEnabled(offsets);
    to->setEnabled(offsets);
}

std::optional<plan::LayoutRules> SubnetRulesDialog::rules(std::string* why) const
{
    static const plan::GatewayRule gateways[] = {plan::GatewayRule::None, plan::GatewayRule::FirstUsable,
                                                 plan::GatewayRule::LastUsable};
    plan::LayoutRules r;
    r.gateway = gateways[std::max(0, gateway->currentIndex())];
    r.kept = kept->value();
    r.range = static_cast<plan::RangeRule>(std::max(0, range->currentIndex()));
    r.dhcp6 = static_cast<plan::Dhcp6Mode>(std::max(0, dhcp6->currentIndex()));
    std::string fault;
    if (r.range == plan::RangeRule::Offsets) {
        const std::string texts[2] = {from->text().trimmed().toStdString(), to->text().trimmed().toStdString()};
        const auto a = net::parseDecimal(texts[0]);
        const auto b = net::parseDecimal(texts[1]);
        if (!a || !b)
            fault = std::string(!a ? "From" : "To") + " offset \"" +
                    textio::escaped(texts[a ? 1 : 0], textio::kQuotedValue) +
                    "\" is no whole number (offsets count up from 0).";
        else
            r.rangeFrom = *a, r.rangeTo = *b;
    }
    if (fault.empty())
        fault = planner::checkLayoutRules(r);
    if (why)
        *why = fault;
    return fault.empty() ? std::optional(r) : std::nullopt;
}

void SubnetRulesDialog::accept()
{
    std::string why;
    if (rules(&why)) {
        QDialog::accept();
        return;
    }
    error->setText(QString::fromStdString(why));
    error->show();
}

std::optional<plan::LayoutRules> subnetRulesDialog(QWidget* parent, const plan::LayoutRules& rules,
                                                   plan::CloudMode cloud)
{
    SubnetRulesDialog d(parent, rules, cloud);
    if (d.exec() != QDialog::Accepted)
        return std::nullopt;
    return d.rules();
}

}  // namespace mq::ui
