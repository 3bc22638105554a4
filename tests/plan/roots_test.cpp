// The items of ROOT[,ROOT...] that the planner and mqnet read each root from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plan/roots.h"

namespace mq::plan {
namespace {

TEST(PlanRoots, ItemsBetweenCommasAsTyped)
{
    struct Case {
        const char* text;
        std::vector<std::string> want;
    };
    for (const Case& c : std::vector<Case>{
             {"", {""}},
             {"10.0.0.0/8", {"10.0.0.0/8"}},
             {"10.0.0.0/8,2001:db8::/32", {"10.0.0.0/8", "2001:db8::/32"}},
             {" 10.0.0.0/8 , fd00::/8", {" 10.0.0.0/8 ", " fd00::/8"}},  // blanks are the caller's
             {"a,,b", {"a", "", "b"}},
             {"a,", {"a", ""}},
             {",", {"", ""}},
         }) {
        std::vector<std::string> got;
        for (std::string_view item : rootItems(c.text))
            got.emplace_back(item);
        EXPECT_EQ(got, c.want) << c.text;
    }
}

}  // namespace
}  // namespace mq::plan
