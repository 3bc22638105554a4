// The "Subnet rules" dialog: the rules every assigned block of the plan follows unless it
// sets its own (gateway, addresses kept for network devices, DHCP range, IPv6 addresses).
#pragma once

#include "plan/plan.h"

#include <QDialog>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace mq::ui {

class SubnetRulesDialog : public QDialog {
public:
    SubnetRulesDialog(QWidget* parent, const plan::LayoutRules& rules, plan::CloudMode cloud);
    // The rules as the controls hold them; nothing, with the reason in *why, when an
    // offset cannot be read or the rules do not hold together.
    std::optional<plan::LayoutRules> rules(std::string* why = nullptr) const;

private:
    void accept() override;  // only rules that hold: the reason stays shown otherwise
    void rangeRuleChanged();

    QComboBox* gateway = nullptr;
    QSpinBox* kept = nullptr;
    QComboBox* range = nullptr;
    QLineEdit* from = nullptr;
    QLineEdit* to = nullptr;
    QComboBox* dhcp6 = nullptr;
    QLabel* error = nullptr;
};

// Opens the dialog; nothing when cancelled.
std::optional<plan::LayoutRules> subnetRulesDialog(QWidget* parent, const plan::LayoutRules& rules,
                                                   plan::CloudMode cloud);

}  // namespace mq::ui
