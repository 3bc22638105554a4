#include "app/mqnet/set_output.h"

namespace mq::mqnet {

void writePrefix(BufferedWriter& w, const net::Prefix& p)
{
    char* at = w.room(net::kAddressRoom + 8);
    at = net::writeAddress(at, p.address);
    *at++ = '/';
    at = net::writeDecimal(at, static_cast<net::u128>(p.length));
    *at++ = '\n';
    w.commit(at);
}

void writeRange(BufferedWriter& w, const net::Range& r)
{
    w.address(r.first);
    if (r.last != r.first) {
        w.put('-');
        w.address(r.last);
    }
    w.put('\n');
}

void writeSet(BufferedWriter& w, const net::AddressSet& s, bool ranges)
{
    if (ranges)
        s.visitRanges([&](const net::Range& r) { writeRange(w, r); });
    else
        s.visitPrefixes([&](const net::Prefix& p) { writePrefix(w, p); });
}

}  // namespace mq::mqnet
