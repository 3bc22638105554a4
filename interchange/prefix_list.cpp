#include "interchange/prefix_list.h"

#include "interchange/fields.h"
#include "net/parse.h"
#include "textio/csv.h"
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

// The same reading of a text held whole and of a file streamed a block at a time.
template <typename Source> ReadResult readList(Source text)
{
    ReadResult out;
    bool first = true;
    const textio::ReadResult r = textio::readLines(text, [&](const textio::Line& line) {
        if (line.tooLong) {
            out.notices.push_back({line.number, textio::tooLongReason()});
            return true;
        }
        std::string_view rest = line.content;
        std::string_view prefixText, nameText, noteText;
        CsvTable quoted;
        if (rest.find('"') != std::string_view::npos) {  // a spreadsheet's quoting: "web, floor 1"
            quoted = readCsv(rest);
            if (!quoted.error.empty() || quoted.records.size() != 1) {
                out.notices.push_back(
                    {line.number, quotedItem(rest) + ": " + (quoted.error.empty() ? "not one CSV row" : quoted.error)});
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
        const bool header = first && isHeader(prefixText);
        first = false;
        if (header)
            return true;
        FlatBlock b;
        b.line = line.number;
        const auto parsed = net::parsePrefix(prefixText, net::HostBits::Keep, {.address = true});
        if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
            const bool text = e->fault == net::ParseError::Fault::Text;
            out.notices.push_back(
                {line.number, quotedItem(prefixText) + ": " + (text ? e->message : "not a prefix or an address")});
            return true;
        }
        b.prefix = std::get<net::Prefix>(parsed);
        if (!b.prefix.isNetwork()) {
            out.notices.push_back({line.number, quotedItem(prefixText) + " has host bits set: " +
                                                    net::formatNetwork(b.prefix) + " is meant?"});
            return true;
        }
        bool cut = false;
        b.name = asName(nameText, &cut);
        if (cut) {
            out.notices.push_back({line.number, "the name " + quotedItem(nameText) + " is longer than 200 bytes"});
            return true;
        }
        b.note = std::string(noteText);
        out.blocks.push_back(std::move(b));
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

}  // namespace mq::interchange
