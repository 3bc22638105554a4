#pragma once
// Prefixes and parsed items from texts the test knows to be good; a refusal fails the test.
#include <gtest/gtest.h>

#include <string_view>

#include "net/parse.h"

namespace mq::test {

inline net::Input inputOf(std::string_view text)
{
    const auto r = net::parseInput(text);
    if (const auto* e = std::get_if<net::ParseError>(&r))
        ADD_FAILURE() << net::describe(text, *e);
    return std::get_if<net::Input>(&r) ? std::get<net::Input>(r) : net::Input{};
}

inline net::Prefix P(std::string_view text)
{
    return inputOf(text).prefix;
}

}  // namespace mq::test
