#pragma once
// The options of mqnet plan allocate that set a plan's rules.
#include "app/mqnet/command_line.h"
#include "plan/plan.h"

namespace mq::mqnet {

// --links-30, --nibble, --vlan-numbering and --cloud over s (a saved plan's own rules with
// --into: a flag given turns its rule on), and --gateway, --kept, --dhcp and --dhcp6 over
// s.layout. False, the option refused and named, when a value cannot be read.
bool readSettings(const Invocation& call, plan::Settings& s);

}  // namespace mq::mqnet
