// The plan's output settings as the Outputs dialog's fields hold them, as text: what the
// user typed is kept as it was until it can be read, and a field that cannot be read is
// named in the reason.
#pragma once

#include "plan/output_keys.h"
#include "plan/outputs.h"

#include <array>
#include <string>
#include <string_view>
#include <variant>

namespace mq::planner {

// One text for each setting of plan::kOutputKeys, in its order, named by its key there. A
// text box holds what was typed: names and texts as they are, seconds as whole numbers,
// addresses and blocks separated by commas or blanks, name servers one a line (NAME, or
// NAME=ADDR[, ADDR]), the IPv6 zone cut "per root" or a length ("/48" or "48"). A choice
// holds its word: the IPv4 zone cut "8", "16" or "24"; "slash" or "dash"; "none" or "all";
// a check box "yes" or "no".
struct OutputFields {
    std::array<std::string, plan::kOutputKeyCount> texts{};
    std::string& operator[](std::string_view key) { return texts[plan::outputKeyIndex(key)]; }
    const std::string& operator[](std::string_view key) const { return texts[plan::outputKeyIndex(key)]; }
    bool operator==(const OutputFields&) const = default;
};

inline constexpr const char* kPerRoot = "per root";

// The words of a choice, in the order of its values: {"8", "16", "24"} for ZoneCut4; empty
// for a value typed into a text box.
std::vector<std::string_view> choiceWords(plan::OutputValue value);

// The fields showing these settings; readFields gives them back unchanged.
OutputFields fieldsOf(const plan::OutputSettings& s);
// The settings the fields hold, or the first reason they cannot be used, naming the field
// ("DNS servers: \"10.0.0.x\" ..."): a text that does not read, then checkOutputSettings.
std::variant<plan::OutputSettings, std::string> readFields(const OutputFields& f);

}  // namespace mq::planner
