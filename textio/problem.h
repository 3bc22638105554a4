#pragma once
// What was refused and where: the one record every reader, check and writer reports with, and
// the one result type for whatever can be refused. The place travels as numbers and names; a
// message is made from it when it is shown (describe), never taken apart again.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace mq::textio {

constexpr std::uint32_t kNoBlockId = 0xFFFFFFFFu;  // the same value as plan::kNoBlock

struct Problem {
    std::string file;  // the file read, as the user named it; empty when not from a file
    std::size_t line = 0;  // from 1, as an editor counts lines; 0 when not tied to a line
    std::string path;  // inside a structured document: "$.blocks[3].prefix"; empty when none
    std::size_t item = 0;  // which item of a list the line gave (an index), where one is told
    std::uint32_t block = kNoBlockId;  // the plan's block it is about, kNoBlockId when plan-wide
    std::optional<std::size_t> host{};  // index into the plan's hosts
    std::string field;  // the value's own name ("VLAN", "kept"), empty when it is the whole item
    std::string message;  // why, a sentence without the place: "is not a VLAN ID from 1 to 4094"
    bool operator==(const Problem&) const = default;
};

// A problem tied to a line only: what the line readers report.
inline Problem lineProblem(std::size_t line, std::string message)
{
    Problem p;
    p.line = line;
    p.message = std::move(message);
    return p;
}

using Problems = std::vector<Problem>;

// A value, or the problem that stopped it.
template <class T> class Result {
public:
    Result(T value) : v_(std::move(value)) { }
    Result(Problem problem) : v_(std::move(problem)) { }
    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return std::get<0>(v_); }
    T& value() & { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }
    const Problem& problem() const { return std::get<1>(v_); }
    // The problem when refused, nullptr when not.
    const Problem* refused() const { return std::get_if<1>(&v_); }

private:
    std::variant<T, Problem> v_;
};

// The problem as one line of text, its place first where it has one: "FILE line 3: MESSAGE",
// "line 3: MESSAGE", "$.blocks[3].prefix: MESSAGE", "FIELD MESSAGE" (the field is the
// sentence's subject), or the message alone.
std::string describe(const Problem& p);

}  // namespace mq::textio
