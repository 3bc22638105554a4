#pragma once
// Shared by the plan tests: prefixes from text, random plans of either family, prefixes printed.
#include <gtest/gtest.h>

#include <random>

#include "net/parse.h"
#include "plan/plan.h"
#include "tests/support/net_text.h"
#include "tests/support/random_plan.h"

namespace mq::net {
inline void PrintTo(const Prefix& p, std::ostream* os)
{
    *os << formatNetwork(p);
}
}  // namespace mq::net

namespace mq::plan::test {

using mq::test::P;

using mq::test::grow;

}  // namespace mq::plan::test
