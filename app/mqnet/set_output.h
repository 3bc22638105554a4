#pragma once
// How set, free and their --ranges option write an address set: one prefix a line (the
// fewest), or one "first-last" range a line (a single address as itself); IPv4 first.
#include "app/mqnet/writer.h"
#include "net/address_set.h"

namespace mq::mqnet {

void writePrefix(BufferedWriter& w, const net::Prefix& p);
void writeRange(BufferedWriter& w, const net::Range& r);
void writeSet(BufferedWriter& w, const net::AddressSet& s, bool ranges);

}  // namespace mq::mqnet
