#include "plan/segments.h"

#include <charconv>

#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::plan {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool digits(std::string_view s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos; }

// "25", "12.5", "25%": a plain decimal, no sign or exponent.
std::optional<double> parseGrowth(std::string_view s) {
  if (!s.empty() && s.back() == '%') s.remove_suffix(1);
  s = trim(s);
  const auto dot = s.find('.');
  if (!digits(s.substr(0, dot)) || (dot != std::string_view::npos && !digits(s.substr(dot + 1)))) return std::nullopt;
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string quoted(std::string_view field) { return "\"" + textio::escaped(field) + "\""; }

}  // namespace

std::string parseSegmentLine(std::string_view line, Segment& seg) {
  std::vector<std::string_view> fields;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = line.find_first_of(",\t", from);
    fields.push_back(trim(line.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from)));
    if (at == std::string_view::npos) break;
    from = at + 1;
  }
  // "lab, 10, /28": the length may stand in the growth's place.
  if (fields.size() == 3 && !fields[2].empty() && fields[2].front() == '/') fields.insert(fields.begin() + 2, "");
  if (fields.size() < 2 || fields.size() > 4) return "expected name, hosts[, growth%[, /len]]";
  if (fields[0].empty()) return "the name is empty";
  if (auto r = checkName(fields[0]); !r.empty()) return "the name " + r;
  seg.name = std::string(fields[0]);
  const auto hosts = digits(fields[1]) ? net::parseDecimal(fields[1]) : std::nullopt;
  if (!hosts) return "hosts " + quoted(fields[1]) + " is not a whole number from 0 to 2^128 - 1";
  seg.hosts = *hosts;
  if (fields.size() > 2 && !fields[2].empty()) {
    const auto g = parseGrowth(fields[2]);
    if (!g || *g > 1'000'000) return "growth " + quoted(fields[2]) + " is not a percentage from 0 to 1000000";
    seg.growthPercent = *g;
  }
  if (fields.size() > 3) {
    std::string_view len = fields[3];
    if (len.size() < 2 || len.size() > 4 || len.front() != '/' || !digits(len.substr(1)) || std::stoi(std::string(len.substr(1))) > 128)
      return "prefix length " + quoted(len) + " is not /0 to /128";
    seg.fixedLength = std::stoi(std::string(len.substr(1)));
  }
  if (seg.hosts == 0 && !seg.fixedLength) return "asks for no hosts (give hosts or a /len)";
  return {};
}

std::vector<Segment> parseSegments(std::string_view text, std::vector<SegmentLineError>& errors) {
  std::vector<Segment> out;
  textio::readLines(text, [&](const textio::Line& line) {
    Segment seg;
    std::string reason = line.tooLong ? textio::tooLongReason() : parseSegmentLine(line.content, seg);
    if (!reason.empty())
      errors.push_back({line.number, std::move(reason)});
    else
      out.push_back(std::move(seg));
    return true;
  });
  return out;
}

}  // namespace mq::plan
