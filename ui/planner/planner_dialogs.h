// The planner's small dialogs: a box to paste a list or a link into, and the
// plan's values for an IPAM.
#pragma once

#include "plan/plan.h"

#include <optional>
#include <string>

class QWidget;

namespace mq::ui {

// A multi-line box with OK and Cancel; nothing when cancelled.
std::optional<std::string> pasteTextDialog(QWidget* parent, const std::string& title, const std::string& hint);
// Tenant, role, VRF, tags (separated by commas), NetBox's VLAN group and site, phpIPAM
// section, VLAN domain and customer; nothing when cancelled.
std::optional<plan::IpamValues> ipamValuesDialog(QWidget* parent, const plan::IpamValues& values);

}  // namespace mq::ui
