#pragma once
// Kea DHCPv4 and DHCPv6 configuration (Kea's own JSON, written strict: no comments, no
// trailing commas): one subnet4 or subnet6 entry per assigned block of the family, with
// its ID, pools, options and reservations.
#include "deploy/model.h"

namespace mq::deploy {

enum class KeaForm : std::uint8_t {
    Whole,  // a configuration file: {"Dhcp4": {interfaces-config, lease-database, lifetimes, subnet4}}
    Fragment,  // the subnet4 (subnet6) array alone, for "subnet4": <?include "FILE"?>
};

// One file: "kea-dhcp4.conf" / "kea-dhcp6.conf", or "subnet4.json" / "subnet6.json" for a
// fragment, from the prepared plan, whose subnet IDs it writes; refused with the model's
// problems of the output (a block without an ID, two hosts of a prefix-delegation block
// given one prefix among them). Reservations name their client as reservedBy says: a
// "hw-address" or a "duid". The DHCPv6 server's lease file is the settings' with its "4"
// before the extension made "6" (else "6" added there), and with an interface set every
// subnet6 names it: Kea finds the subnet of a client on its own link by the interface alone.
Written writeKea(const Prepared& m, net::Family family, KeaForm form);

}  // namespace mq::deploy
