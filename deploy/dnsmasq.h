#pragma once
// A dnsmasq configuration for labs and small sites: dhcp-range, dhcp-option (router, DNS),
// dhcp-host and host-record lines, one block after another.
#include "deploy/deploy.h"

namespace mq::deploy {

// One file, "dnsmasq.conf". ids: assignDhcpIds(plan), which also name each block's tag.
// Refused with checkForOutput's faults.
Written writeDnsmasq(const plan::Plan& plan, const plan::DhcpIds& ids);

}  // namespace mq::deploy
