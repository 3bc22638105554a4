#include "app/mqnet/list_input.h"

#include <algorithm>

namespace mq::mqnet {

std::string refusalReason(const net::ParseError& e)
{
    return e.message + " at character " + std::to_string(e.position + 1);
}

bool readAddressList(const Invocation& call, const std::string& path, const ListItemFn& add)
{
    return readListFile(call, path, [&](const ListLine& line) {
        const auto item = net::parseListItem(line.content);
        if (const auto* e = std::get_if<net::ParseError>(&item))
            line.refuse(refusalReason(*e));
        else
            add(std::get<net::Range>(item), line);
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
