#pragma once
// The roots of a plan as one argument or one box gives them: ROOT[,ROOT...].
#include <cstddef>
#include <string_view>
#include <vector>

namespace mq::plan {

// The items between the commas of ROOT[,ROOT...], as typed, blanks and all, for each caller to
// read with its own prefix reader and wording: "a,,b" gives "a", "" and "b"; "" gives one
// empty item. How many roots a caller takes is its own check, after reading them.
inline std::vector<std::string_view> rootItems(std::string_view text)
{
    std::vector<std::string_view> items;
    for (std::size_t from = 0;;) {
        const std::size_t comma = text.find(',', from);
        items.push_back(text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
        if (comma == std::string_view::npos)
            return items;
        from = comma + 1;
    }
}

}  // namespace mq::plan
