#pragma once
// The parsed item of a text the test knows to be good; a refusal fails the test.
#include <gtest/gtest.h>

#include "net/parse.h"

namespace mq::net {

inline Input inputOf(std::string_view text)
{
    const auto r = parseInput(text);
    if (const auto* e = std::get_if<ParseError>(&r))
        ADD_FAILURE() << describe(text, *e);
    return std::get_if<Input>(&r) ? std::get<Input>(r) : Input{};
}

}  // namespace mq::net
