#include "app/mqnet/list_input.h"

#include <algorithm>

#include "net/address_scan.h"
#include "net/parse.h"

namespace mq::mqnet {

bool readListItem(std::string_view item, net::Range& range, std::string* reason)
{
    if (net::readV4PrefixRange(item, range))
        return true;  // the common line, read in place
    const auto parsed = net::parseListItem(item);
    if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
        if (reason)
            *reason = e->message + " at character " + std::to_string(e->position + 1);
        return false;
    }
    range = std::get<net::Range>(parsed);
    return true;
}

bool readAddressList(const Invocation& call, const std::string& path, const ListItemFn& add)
{
    std::string reason;
    return readListFile(call, path, [&](const ListLine& line) {
        net::Range range;
        if (readListItem(line.content, range, &reason))
            add(range, line);
        else
            line.refuse(reason);
    });
}

bool standardInputOnce(const Invocation& call, const std::vector<std::string>& paths)
{
    if (std::count(paths.begin(), paths.end(), "-") < 2)
        return true;
    call.refuse("standard input (-) can be read only once");
    return false;
}

}  // namespace mq::mqnet
