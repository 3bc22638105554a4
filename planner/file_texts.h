// How the planner's titles, messages and report name a file.
#pragma once

#include "textio/escape.h"

#include <string>

namespace mq::planner {

// "office.mqplan" of "/plans/office.mqplan".
inline std::string baseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A path in a message: escaped, and shortened when it is very long.
inline std::string quotedPath(const std::string& path)
{
    return textio::escaped(path, textio::kQuotedPath);
}

}  // namespace mq::planner
