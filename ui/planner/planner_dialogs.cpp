#include "ui/planner/planner_dialogs.h"

#include "planner/planner_services.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace mq::ui {

namespace {

QDialogButtonBox* okCancel(QDialog& d)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    return buttons;
}

std::string trimmed(const QString& s)
{
    return s.trimmed().toStdString();
}

}  // namespace

std::optional<std::string> pasteTextDialog(QWidget* parent, const std::string& title, const std::string& hint)
{
    QDialog d(parent);
    d.setObjectName(QStringLiteral("pasteDialog"));
    d.setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(&d);
    auto* label = new QLabel(QString::fromStdString(hint), &d);
    label->setWordWrap(true);
    auto* box = new QPlainTextEdit(&d);
    box->setObjectName(QStringLiteral("pasteBox"));
    box->setAccessibleName(QString::fromStdString(title));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    label->setBuddy(box);
    layout->addWidget(label);
    layout->addWidget(box);
    layout->addWidget(okCancel(d));
    d.resize(560, 320);
    if (d.exec() != QDialog::Accepted)
        return std::nullopt;
    return box->toPlainText().toStdString();
}

std::optional<plan::IpamValues> ipamValuesDialog(QWidget* parent, const plan::IpamValues& values)
{
    QDialog d(parent);
    d.setObjectName(QStringLiteral("ipamValuesDialog"));
    d.setWindowTitle(QStringLiteral("IPAM Values"));
    auto* layout = new QVBoxLayout(&d);
    auto* intro = new QLabel(QStringLiteral("Handed to NetBox or phpIPAM with every prefix of the plan's exports "
                                            "(a prefix read from an IPAM keeps its own tenant, role and VRF). "
                                            "NetBox finds the tenant, role and VRF by name and the tags by slug, "
                                            "and tells VLANs of the same ID apart by VLAN group or site; "
                                            "phpIPAM needs the section."),
                             &d);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    auto field = [&](const char* name, const char* label, const std::string& text) {
        auto* e = new QLineEdit(QString::fromStdString(text), &d);
        e->setObjectName(QString::fromLatin1(name));
        e->setAccessibleName(QString::fromLatin1(label).remove(QLatin1Char('&')));
        form->addRow(QString::fromLatin1(label), e);
        return e;
    };
    std::string tags;
    for (const auto& t : values.tags)
        tags += (tags.empty() ? "" : ", ") + t;
    QLineEdit* tenant = field("tenant", "&Tenant:", values.tenant);
    QLineEdit* role = field("role", "&Role:", values.role);
    QLineEdit* vrf = field("vrf", "&VRF:", values.vrf);
    QLineEdit* tagBox = field("tags", "Ta&gs:", tags);
    tagBox->setPlaceholderText(QStringLiteral("slugs separated by commas"));
    QLineEdit* vlanGroup = field("vlanGroup", "VLAN gr&oup:", values.vlanGroup);
    QLineEdit* site = field("site", "S&ite:", values.site);
    QLineEdit* section = field("section", "phpIPAM &section:", values.section);
    QLineEdit* domain = field("domain", "VLAN &domain:", values.domain);
    QLineEdit* customer = field("customer", "&Customer:", values.customer);
    customer->setPlaceholderText(QStringLiteral("kept with the plan: phpIPAM's subnet import does not read it"));
    layout->addLayout(form);
    layout->addWidget(okCancel(d));
    d.setMinimumWidth(440);
    if (d.exec() != QDialog::Accepted)
        return std::nullopt;
    plan::IpamValues out;
    out.tenant = trimmed(tenant->text());
    out.role = trimmed(role->text());
    out.vrf = trimmed(vrf->text());
    for (const QString& t : tagBox->text().split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!t.trimmed().isEmpty())
            out.tags.push_back(trimmed(t));
    out.vlanGroup = trimmed(vlanGroup->text());
    out.site = trimmed(site->text());
    out.section = trimmed(section->text());
    out.domain = trimmed(domain->text());
    out.customer = trimmed(customer->text());
    return out;
}

}  // namespace mq::ui
