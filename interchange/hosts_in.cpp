// Hosts and ranges read from the hosts CSV, NetBox's and phpIPAM's IP-address (and NetBox's
// IP-range) files and /etc/hosts: each row taken whole or refused with its reason.
#include <span>

#include "interchange/fields.h"
#include "interchange/hosts_shared.h"
#include "interchange/table.h"
#include "net/mac.h"
#include "net/parse.h"
#include "plan/fields.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::interchange {

using textio::trimBlanks;

namespace {

// An address field: a bare address, or (length given) one followed by "/len" as NetBox writes
// it, the length into *length. Empty on success, else the reason, the field quoted.
std::string takeAddress(std::string_view text, int* length, std::optional<net::Family> want, net::Address& out)
{
    text = trimBlanks(text);
    std::string_view bare = text, digits;
    if (length && bare.find('/') != std::string_view::npos) {
        digits = bare.substr(bare.find('/') + 1);
        bare = bare.substr(0, bare.find('/'));
    }
    const auto parsed = plan::parseHostAddress(bare);
    if (!parsed)
        return textio::quoted(text) + ": " + parsed.problem().message;
    out = *parsed;
    if (want && out.family != *want)
        return textio::quoted(text) + (*want == net::Family::V4 ? ": not an IPv4 address" : ": not an IPv6 address");
    if (length && !digits.empty()) {
        *length = 0;
        for (char c : digits)
            *length = c >= '0' && c <= '9' && *length <= 128 ? *length * 10 + (c - '0') : 999;
        if (*length > net::familyBits(out.family))
            return textio::quoted(text) + ": the prefix length is not /0 to /" +
                   std::to_string(net::familyBits(out.family));
    }
    return {};
}

// A host's field read as every reader of hosts reads it (plan/fields.h).
template <class T, class V> std::string take(const textio::Result<V>& read, T& into)
{
    if (!read)
        return textio::describe(read.problem());
    into = *read;
    return {};
}

std::string takeName(std::string_view text, plan::Host& h)
{
    return take(plan::parseHostName(text), h.name);
}

std::string takeMac(std::string_view text, plan::Host& h)
{
    return take(plan::parseHostMac(text), h.mac);
}

std::string takeDuid(std::string_view text, plan::Host& h)
{
    return take(plan::parseHostDuid(text), h.duid);
}

std::string takeNote(const std::string& note, plan::Host& h)
{
    return take(plan::parseHostNote(note), h.note);
}

// The first reason that is not empty.
std::string firstOf(std::initializer_list<std::string> reasons)
{
    for (const std::string& r : reasons)
        if (!r.empty())
            return r;
    return {};
}

// The columns of a host table and the reader of its rows, which refuses through
// TableRow::notice.
struct HostTable {
    std::span<const TableColumn> columns;
    void (*row)(const TableRow&, std::size_t line, HostRead&);
};

// Reads a table whose columns are found by header name (columns[0] required), the columns
// those `pick` gives for the header record; each record after the header goes to their row().
template <class Pick> void readHostTable(const RecordSource& source, HostRead& read, Pick pick)
{
    bool header = true;
    std::vector<std::size_t> found;
    std::size_t rows = 0;
    std::string headerError;
    HostTable table{};
    read.error = source.forEach([&](const textio::CsvRecord& record) {
        if (header) {
            header = false;
            table = pick(record);
            if (std::string twice = headerColumns(record, table.columns, found); !twice.empty())
                headerError = source.where(record.line) + ": " + twice;
            else if (found.front() == std::string_view::npos)
                headerError = source.where(record.line) + ": the header has no \"" +
                              std::string(table.columns.front().name) + "\" column";
            return headerError.empty();
        }
        if (++rows > plan::kMaxHosts) {
            read.refused.push_back(textio::lineProblem(record.line, "more than " + std::to_string(plan::kMaxHosts) +
                                                                        " rows: this one and the rest are left out"));
            return false;
        }
        table.row(TableRow(record, found, read.refused), record.line, read);
        return true;
    });
    if (read.error.empty())
        read.error = headerError;
    if (read.error.empty() && header)
        read.error = "the " + std::string(source.what) + " is empty: a " + std::string(source.header) + " with a \"" +
                     std::string(pick(textio::CsvRecord{}).columns.front().name) + "\" column is expected";
    if (!read.error.empty()) {
        read.hosts.clear();
        read.ranges.clear();
        read.bare.clear();
        read.refused.clear();
        read.notes.clear();
    }
}

// ---- the hosts CSV

enum CsvColumn : std::size_t { CName, CIpv4, CIpv6, CMac, CDuid, CRole, CNote };
constexpr TableColumn kCsvColumns[] = {{"name"}, {"ipv4"}, {"ipv6"}, {"mac"}, {"duid"}, {"role"}, {"note"}};

// A note the spreadsheet form of the hosts CSV wrote after a ' (it would read as a formula).
std::string csvNote(std::string_view text)
{
    if (text.starts_with('\'') && textio::readsAsFormula(text.substr(1)))
        text.remove_prefix(1);
    return std::string(text);
}

void readCsvRow(const TableRow& row, std::size_t line, HostRead& read)
{
    plan::Host h;
    if (std::string why = takeName(row.field(CName), h); !why.empty())
        return row.notice(why);
    std::string why;
    for (auto [column, family] : {std::pair{CIpv4, net::Family::V4}, std::pair{CIpv6, net::Family::V6}}) {
        if (!why.empty() || trimBlanks(row.field(column)).empty())
            continue;
        net::Address a;
        why = takeAddress(row.field(column), nullptr, family, a);
        (family == net::Family::V4 ? h.v4 : h.v6) = a;
    }
    if (why.empty() && !h.v4 && !h.v6)
        why = "no address";
    if (why.empty() && !trimBlanks(row.field(CRole)).empty()) {
        if (auto role = plan::parseRole(trimBlanks(row.field(CRole))))
            h.role = *role;
        else
            why = "role " + textio::quoted(row.field(CRole)) +
                  " is none of gateway, router, server, printer, access-point, camera, reserved, other";
    }
    if (why.empty())
        why = firstOf(
            {takeMac(row.field(CMac), h), takeDuid(row.field(CDuid), h), takeNote(csvNote(row.field(CNote)), h)});
    if (!why.empty())
        return row.notice(h.name + ": " + why);
    read.hosts.push_back({line, std::move(h)});
}

// ---- NetBox

enum NetboxColumn : std::size_t { NAddress, NStatus, NRole, NDnsName, NDescription, NComments, NTags };
constexpr TableColumn kNetboxColumns[] = {{"address", "ip address"}, {"status"},   {"role"}, {"dns_name", "dns name"},
                                          {"description"},           {"comments"}, {"tags"}};
enum RangeColumn : std::size_t { RStart, REnd, RStatus };
constexpr TableColumn kRangeColumns[] = {
    {"start_address", "start address"}, {"end_address", "end address"}, {"status"}};

// NetBox's status of an address or range no longer in use (its IPAddressStatusChoices and
// IPRangeStatusChoices): such a row is left out, so that no retired range becomes a pool.
bool deprecated(const TableRow& row, std::size_t column, std::size_t line, const std::string& item, HostRead& read)
{
    if (textio::lowerCase(trimBlanks(row.field(column))) != "deprecated")
        return false;
    read.notes.push_back(textio::lineProblem(line, item + ": its status is deprecated (no longer in use); left out"));
    return true;
}

// Our role tag, else NetBox's redundant-gateway roles, else its reserved status.
plan::HostRole netboxRole(const TableRow& row)
{
    std::string_view tags = row.field(NTags);
    for (std::size_t from = 0; from <= tags.size();) {
        const std::size_t comma = std::min(tags.find(',', from), tags.size());
        if (auto role = roleOfTag(trimBlanks(tags.substr(from, comma - from))))
            return *role;
        from = comma + 1;
    }
    const std::string role = textio::lowerCase(trimBlanks(row.field(NRole)));
    for (const char* g : {"vip", "vrrp", "hsrp", "glbp", "carp"})
        if (role == g)
            return plan::HostRole::Gateway;
    return textio::lowerCase(trimBlanks(row.field(NStatus))) == "reserved" ? plan::HostRole::Reserved
                                                                           : plan::HostRole::Other;
}

// comments: "MAC: ..." and "DUID: ..." lines are the host's; the rest joins the note.
std::string readComments(std::string_view comments, plan::Host& h, std::string& note)
{
    std::size_t from = 0;
    while (from < comments.size()) {
        const std::size_t end = std::min(comments.find('\n', from), comments.size());
        std::string_view line = comments.substr(from, end - from);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        from = end + 1;
        std::string why;
        if (line.starts_with("MAC: "))
            why = takeMac(line.substr(5), h);
        else if (line.starts_with("DUID: "))
            why = takeDuid(line.substr(6), h);
        else
            note += (note.empty() ? "" : "\n") + std::string(line);
        if (!why.empty())
            return why;
    }
    return {};
}

void readNetboxRow(const TableRow& row, std::size_t line, HostRead& read)
{
    net::Address a;
    int length = -1;
    if (std::string why = takeAddress(row.field(NAddress), &length, std::nullopt, a); !why.empty())
        return row.notice(why);
    if (deprecated(row, NStatus, line, net::format(a), read))
        return;
    if (trimBlanks(row.field(NDnsName)).empty()) {
        read.bare.push_back({line, a, textio::lowerCase(trimBlanks(row.field(NStatus))) != "reserved", length});
        return;
    }
    plan::Host h;
    (a.family == net::Family::V4 ? h.v4 : h.v6) = a;
    std::string note(trimBlanks(row.field(NDescription)));
    if (std::string why = takeName(row.field(NDnsName), h); !why.empty())
        return row.notice(why);
    std::string why = readComments(row.field(NComments), h, note);
    if (why.empty())
        why = takeNote(std::move(note), h);
    if (!why.empty())
        return row.notice(h.name + ": " + why);
    h.role = netboxRole(row);
    read.hosts.push_back({line, std::move(h), length});
}

void readRangeRow(const TableRow& row, std::size_t line, HostRead& read)
{
    plan::AddressRange r;
    int length = -1;
    std::string why = takeAddress(row.field(RStart), &length, std::nullopt, r.first);
    if (why.empty())
        why = takeAddress(row.field(REnd), &length, r.first.family, r.last);
    if (why.empty() && r.last < r.first)
        why = "the range ends (" + net::format(r.last) + ") before it starts (" + net::format(r.first) + ")";
    if (!why.empty())
        return row.notice(why);
    if (deprecated(row, RStatus, line, "the range " + rangesText({r}), read))
        return;
    read.ranges.push_back({line, r});
}

// ---- phpIPAM

enum PhpipamColumn : std::size_t { PAddress, PHostname, PDescription, PMac, PNote, PTag, PGateway };
constexpr TableColumn kPhpipamColumns[] = {
    {"ip_addr", "ip address"}, {"hostname"}, {"description"}, {"mac"}, {"note"}, {"tag"}, {"is_gateway", "gateway"}};

// phpIPAM's note: our "role=NAME" and "duid=HEX" words, the rest joining the note.
std::string readPhpipamNote(std::string_view text, plan::Host& h, std::string& note)
{
    std::string rest;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find(' ', from), text.size());
        const std::string_view word = text.substr(from, end - from);
        from = end + 1;
        auto role = word.starts_with("role=") ? plan::parseRole(word.substr(5)) : std::nullopt;
        if (role)
            h.role = *role;
        else if (word.starts_with("duid="))
            if (std::string why = takeDuid(word.substr(5), h); !why.empty())
                return why;
        if (!role && !word.starts_with("duid=") && !word.empty())
            rest += (rest.empty() ? "" : " ") + std::string(word);
    }
    if (!rest.empty())
        note += (note.empty() ? "" : "\n") + rest;
    return {};
}

void readPhpipamRow(const TableRow& row, std::size_t line, HostRead& read)
{
    net::Address a;
    if (std::string why = takeAddress(row.field(PAddress), nullptr, std::nullopt, a); !why.empty())
        return row.notice(why);
    const std::string gateway = textio::lowerCase(trimBlanks(row.field(PGateway)));
    const bool isGateway = gateway == "1" || gateway == "yes" || gateway == "true";
    const bool reserved = textio::lowerCase(trimBlanks(row.field(PTag))) == "reserved";
    if (trimBlanks(row.field(PHostname)).empty()) {
        read.bare.push_back({line, a, isGateway});
        return;
    }
    plan::Host h;
    (a.family == net::Family::V4 ? h.v4 : h.v6) = a;
    h.role = isGateway ? plan::HostRole::Gateway : reserved ? plan::HostRole::Reserved : plan::HostRole::Other;
    std::string note(trimBlanks(row.field(PDescription)));
    if (std::string why = takeName(row.field(PHostname), h); !why.empty())
        return row.notice(why);
    std::string why = takeMac(row.field(PMac), h);
    if (why.empty())
        why = readPhpipamNote(trimBlanks(row.field(PNote)), h, note);
    if (why.empty())
        why = takeNote(std::move(note), h);
    if (!why.empty())
        return row.notice(h.name + ": " + why);
    read.hosts.push_back({line, std::move(h)});
}

// ---- /etc/hosts

void readEtcHosts(std::string_view text, HostRead& read)
{
    std::size_t rows = 0;
    textio::readLines(text, [&](const textio::Line& line) {
        if (line.tooLong) {
            read.refused.push_back(textio::lineProblem(line.number, textio::tooLongReason()));
            return true;
        }
        if (++rows > plan::kMaxHosts) {
            read.refused.push_back(textio::lineProblem(line.number, "more than " + std::to_string(plan::kMaxHosts) +
                                                                        " lines: this one and the rest are left out"));
            return false;
        }
        std::vector<std::string_view> words;
        for (std::size_t from = 0; from < line.content.size();) {
            const std::size_t end = std::min(line.content.find_first_of(" \t", from), line.content.size());
            if (end > from)
                words.push_back(line.content.substr(from, end - from));
            from = end + 1;
        }
        plan::Host h;
        net::Address a;
        std::string why = takeAddress(words[0], nullptr, std::nullopt, a);
        if (why.empty() && words.size() < 2)
            why = net::format(a) + " has no host name";
        if (why.empty())
            why = takeName(words[1], h);
        if (!why.empty()) {
            read.refused.push_back(textio::lineProblem(line.number, why));
            return true;
        }
        (a.family == net::Family::V4 ? h.v4 : h.v6) = a;
        if (words.size() > 2)
            read.notes.push_back(textio::lineProblem(
                line.number, h.name + ": the aliases after the first name are left out (" +
                                 textio::quoted(line.content.substr(words[2].data() - line.content.data())) + ")"));
        read.hosts.push_back({line.number, std::move(h)});
        return true;
    });
}

}  // namespace

std::optional<HostFormat> parseHostFormat(std::string_view key)
{
    if (key == "csv")
        return HostFormat::Csv;
    if (key == "netbox")
        return HostFormat::Netbox;
    if (key == "phpipam")
        return HostFormat::Phpipam;
    if (key == "hosts")
        return HostFormat::EtcHosts;
    return std::nullopt;
}

HostRead readHostFile(HostFormat format, std::string_view text)
{
    if (format == HostFormat::EtcHosts) {
        HostRead read;
        readEtcHosts(text, read);
        return read;
    }
    return readHostTable(format, csvRecords(text, csvDelimiterOf(text)));
}

HostRead readHostTable(HostFormat format, const RecordSource& source)
{
    HostRead read;
    switch (format) {
    case HostFormat::Csv:
        readHostTable(source, read, [](const textio::CsvRecord&) { return HostTable{kCsvColumns, readCsvRow}; });
        break;
    case HostFormat::Netbox:
        // An IP-range file is told by its header.
        readHostTable(source, read, [](const textio::CsvRecord& header) {
            for (const std::string& f : header.fields)
                if (const std::string name = textio::lowerCase(f);
                    name.find("start_address") != std::string::npos || name.find("start address") != std::string::npos)
                    return HostTable{kRangeColumns, readRangeRow};
            return HostTable{kNetboxColumns, readNetboxRow};
        });
        break;
    case HostFormat::Phpipam:
        readHostTable(source, read, [](const textio::CsvRecord&) {
            return HostTable{kPhpipamColumns, readPhpipamRow};
        });
        break;
    case HostFormat::EtcHosts: read.error = "an /etc/hosts file is lines of text, not a table"; break;
    }
    return read;
}

}  // namespace mq::interchange
