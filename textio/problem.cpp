#include "textio/problem.h"

namespace mq::textio {

std::string describe(const Problem& p)
{
    std::string s = p.file;
    if (p.line != 0)
        s += (s.empty() ? "line " : " line ") + std::to_string(p.line);
    if (!p.path.empty())
        s += (s.empty() ? "" : " ") + p.path;
    if (!s.empty())
        s += ": ";
    if (!p.field.empty())
        s += p.field + " ";
    return s + p.message;
}

}  // namespace mq::textio
