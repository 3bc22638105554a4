#include "interchange/prefix_list.h"

#include <algorithm>

#include "interchange/fields.h"
#include "net/parse.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/fields.h"
#include "textio/lines.h"

namespace mq::interchange {

using textio::CsvTable;
using textio::readCsv;
using textio::trimBlanks;

namespace {

bool isHeader(std::string_view field)
{
    return textio::equalsIgnoringCase(trimBlanks(field), "prefix");
}

// One item: its prefix, name and note as the line or the record gives them. A first one
// whose prefix is "prefix" is a header.
void readItem(std::string_view prefixText, std::string_view nameText, std::string_view noteText, std::size_t line,
              bool& first, ReadResult& out)
{
    const bool header = first && isHeader(prefixText);
    first = false;
    if (header)
        return;
    FlatBlock b;
    b.line = line;
    const auto parsed = net::parsePrefix(prefixText, net::HostBits::Suggest, {.address = true});
    if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
        using F = net::ParseError::Fault;
        const std::string why = e->fault == F::Text       ? ": " + e->message
                                : e->fault == F::HostBits ? " " + e->message
                                                          : std::string(": not a prefix or an address");
        out.notices.push_back(textio::lineProblem(line, textio::quoted(prefixText) + why));
        return;
    }
    b.prefix = std::get<net::Prefix>(parsed);
    bool cut = false;
    b.name = asName(nameText, &cut);
    if (cut) {
        out.notices.push_back(
            textio::lineProblem(line, "the name " + textio::quoted(nameText) + " is longer than 200 bytes"));
        return;
    }
    b.note = std::string(noteText);
    out.blocks.push_back(std::move(b));
}

// The same reading of a text held whole and of a file streamed a block at a time.
template <typename Source> ReadResult readList(Source text)
{
    ReadResult out;
    bool first = true;
    const textio::ReadResult r = textio::readLines(text, [&](const textio::Line& line) {
        if (line.tooLong) {
            out.notices.push_back(textio::lineProblem(line.number, textio::tooLongReason()));
            return true;
        }
        std::string_view rest = line.content;
        std::string_view prefixText, nameText, noteText;
        CsvTable quoted;
        if (rest.find('"') != std::string_view::npos) {  // a spreadsheet's quoting: "web, floor 1"
            quoted = readCsv(rest);
            if (!quoted.error.empty() || quoted.records.size() != 1) {
                out.notices.push_back(
                    textio::lineProblem(line.number, textio::quoted(rest) + ": " +
                                                         (quoted.error.empty() ? "not one CSV row" : quoted.error)));
                return true;
            }
            auto& f = quoted.records[0].fields;
            for (std::size_t i = 3; i < f.size(); ++i)
                f[2] += "," + f[i];  // the note is the rest
            prefixText = trimBlanks(f[0]);
            if (f.size() > 1)
                nameText = trimBlanks(f[1]);
            if (f.size() > 2)
                noteText = trimBlanks(f[2]);
        } else {
            const std::size_t c1 = rest.find(',');
            prefixText = trimBlanks(rest.substr(0, c1));
            if (c1 != std::string_view::npos) {
                rest.remove_prefix(c1 + 1);
                const std::size_t c2 = rest.find(',');
                nameText = trimBlanks(rest.substr(0, c2));
                if (c2 != std::string_view::npos)
                    noteText = trimBlanks(rest.substr(c2 + 1));
            }
        }
        readItem(prefixText, nameText, noteText, line.number, first, out);
        return true;
    });
    if (!r.error.empty())
        out.error = r.error;
    return out;
}

}  // namespace

ReadResult readPrefixList(std::string_view text)
{
    return readList(text);
}
ReadResult readPrefixList(std::FILE* in)
{
    return readList(in);
}

ReadResult readPrefixTable(const RecordSource& source)
{
    ReadResult out;
    bool first = true;
    out.error = source.forEach([&](const textio::CsvRecord& record) {
        std::vector<std::string> f = record.fields;
        const auto cell = std::find_if(f.begin(), f.end(), [](const std::string& c) { return !trimBlanks(c).empty(); });
        if (cell == f.end() || trimBlanks(*cell).starts_with('#'))
            return true;  // a blank or comment row, as a line would be
        f.resize(std::max<std::size_t>(f.size(), 3));
        for (std::size_t i = 3; i < f.size(); ++i)
            f[2] += "," + f[i];  // the note is the rest
        readItem(trimBlanks(f[0]), trimBlanks(f[1]), trimBlanks(f[2]), record.line, first, out);
        return true;
    });
    return out;
}

}  // namespace mq::interchange
