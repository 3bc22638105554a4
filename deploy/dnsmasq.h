#pragma once
// A dnsmasq configuration for labs and small sites: dhcp-range, dhcp-option (router, DNS),
// dhcp-host and host-record lines, one block after another.
#include "deploy/model.h"

namespace mq::deploy {

// One file, "dnsmasq.conf", from the prepared plan, whose subnet IDs name each block's tag;
// refused with the model's problems of the output. Reservations name their client as
// reservedBy says: by MAC, or "id:" and the DUID.
Written writeDnsmasq(const Prepared& m);

}  // namespace mq::deploy
