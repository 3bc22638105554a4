#include "planner/exchange_texts.h"

namespace mq::planner {

using interchange::Format;

std::string listed(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kShownLines; ++i)
        text += "\n" + lines[i];
    if (lines.size() > kShownLines)
        text += "\n... and " + std::to_string(lines.size() - kShownLines) + " more";
    return text;
}

const char* formatName(Format f)
{
    switch (f) {
    case Format::Netbox: return "NetBox CSV";
    case Format::Phpipam: return "phpIPAM CSV";
    case Format::VscJson: return "visualsubnetcalc JSON";
    case Format::VscLink: return "visualsubnetcalc link";
    default: return "prefix list";
    }
}

}  // namespace mq::planner
