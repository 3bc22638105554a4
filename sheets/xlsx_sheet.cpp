#include "sheets/xlsx_sheet.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "sheets/xlsx_archive.h"
#include "textio/cell_text.h"
#include "textio/escape.h"

namespace mq::sheets {

namespace {

bool named(const QXmlStreamReader& xml, const char* name)
{
    return xml.name() == QLatin1String(name);
}

bool opens(const QXmlStreamReader& xml, const char* name)
{
    return xml.isStartElement() && named(xml, name);
}

bool closes(const QXmlStreamReader& xml, const char* name)
{
    return xml.isEndElement() && named(xml, name);
}

std::optional<std::size_t> index(const std::string& s)
{
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoul(s);
}

// A number format shows a percentage where it has a '%' outside quoted text, an escaped
// character and a [colour] or [condition].
bool percentFormat(const std::string& code)
{
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (code[i] == '\\')
            ++i;
        else if (code[i] == '"')
            i = std::min(code.find('"', i + 1), code.size());
        else if (code[i] == '[')
            i = std::min(code.find(']', i + 1), code.size());
        else if (code[i] == '%')
            return true;
    }
    return false;
}

// The text of a string item: its runs' <t> joined, unescaped, phonetic guides (<rPh>) left out.
struct StringText {
    std::string text, run;  // run: the <t> being read, as stored
    int phonetic = 0;
    bool inText = false;

    void take(const QXmlStreamReader& xml)
    {
        if (xml.isCharacters()) {
            if (inText)
                appendUtf8(run, xml.text());
        } else if (opens(xml, "rPh"))
            ++phonetic;
        else if (closes(xml, "rPh"))
            --phonetic;
        else if (opens(xml, "t"))
            inText = phonetic == 0;
        else if (closes(xml, "t") && inText) {
            inText = false;
            // "_xHHHH_" is the only escape: a run without '_' is its own text.
            if (run.find('_') == std::string::npos)
                text += run;
            else
                text += textio::unescapedXstring(run);
            run.clear();
        }
    }

    void clear()
    {
        text.clear();
        run.clear();
        phonetic = 0;
        inText = false;
    }
};

struct Cell {
    textio::CellRef at;
    std::string type, value;
    std::size_t style = 0;
    bool hasValue = false, inValue = false, formula = false, inInline = false;
    StringText inlineText;

    // Empty again, keeping what the strings hold room for: a cell is read a million times.
    void clear()
    {
        at = {};
        type.clear();
        value.clear();
        style = 0;
        hasValue = inValue = formula = inInline = false;
        inlineText.clear();
    }
};

std::string cellName(const textio::CellRef& at)
{
    std::string letters;
    for (std::size_t c = at.column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(at.row);
}

// The text a user sees in the cell, or why it cannot be read (set in fault).
std::string cellText(const Cell& c, const SheetParts& parts, std::string& fault)
{
    const auto where = [&c] { return "cell " + cellName(c.at) + " "; };
    if (c.type == "inlineStr")
        return c.inlineText.text;
    if (c.formula && (!c.hasValue || (c.value.empty() && c.type != "str"))) {
        fault = where() + "holds a formula without a computed value: open the workbook in a spreadsheet "
                          "program and save it, so that the value is kept with it";
        return {};
    }
    if (c.type == "s") {
        const auto i = index(c.value);
        if (!i || *i >= parts.strings.size())
            fault = where() + "names shared string \"" + textio::escaped(c.value, textio::kQuotedValue) + "\", of " +
                    std::to_string(parts.strings.size());
        return i && *i < parts.strings.size() ? parts.strings.at(*i) : std::string();
    }
    if (c.type == "b") {
        if (c.value != "0" && c.value != "1")
            fault = where() + "holds the truth value \"" + textio::escaped(c.value, textio::kQuotedValue) + "\"";
        return c.value == "1" ? "TRUE" : "FALSE";
    }
    if (c.type == "str" || c.type == "e" || c.type == "d" || c.value.empty())
        return c.value;
    const bool percent = c.style < parts.percentStyles.size() && parts.percentStyles[c.style];
    if (auto n = textio::plainNumber(c.value, percent))
        return *n;
    fault = where() + "holds the number \"" + textio::escaped(c.value, textio::kQuotedValue) + "\"";
    return {};
}

// The merged ranges that cover the rows read so far, and the cells they fill.
class MergeFill {
public:
    explicit MergeFill(std::vector<Merge>& merges) : merges_(merges)
    {
        for (std::size_t i = 0; i < merges.size(); ++i)
            firsts_[{merges[i].firstRow, merges[i].firstColumn}] = i;
    }

    void cellRead(const textio::CellRef& at, const std::string& text)
    {
        if (firsts_.empty())
            return;
        if (const auto f = firsts_.find({at.row, at.column}); f != firsts_.end())
            merges_[f->second].value = text;
    }

    // False when the filled row would hold more than kMaxRowBytes.
    bool fill(SheetRow& row, std::uint64_t& rowBytes)
    {
        for (; next_ < merges_.size() && merges_[next_].firstRow <= row.number; ++next_)
            active_.push_back(next_);
        std::erase_if(active_, [&](std::size_t i) { return merges_[i].lastRow < row.number; });
        for (std::size_t i : active_) {
            const Merge& m = merges_[i];
            if (m.lastColumn >= row.cells.size()) {
                row.cells.resize(m.lastColumn + 1);
                row.covered.resize(m.lastColumn + 1);
            }
            for (std::size_t c = m.firstColumn; c <= m.lastColumn; ++c)
                if (row.number != m.firstRow || c != m.firstColumn) {
                    if ((rowBytes += m.value.size()) > kMaxRowBytes)
                        return false;
                    row.cells[c] = m.value;
                    row.covered[c] = true;
                }
        }
        return true;
    }

private:
    std::vector<Merge>& merges_;
    std::map<std::pair<std::size_t, std::size_t>, std::size_t> firsts_;
    std::vector<std::size_t> active_;
    std::size_t next_ = 0;
};

// The merged ranges come after the sheet's data: they are found in the bytes, without the
// cost of parsing the XML twice. Every '<' starts a tag (text holds "&lt;"), so a
// <mergeCell ref="A1:B2"/> is read from between a '<' and the next '>'.
class MergeScan {
public:
    bool take(std::string_view piece, std::vector<Merge>& out, std::string& fault)
    {
        pending_ += piece;
        std::size_t at = 0;
        for (;;) {
            const auto open = pending_.find('<', at);
            const auto close = open == std::string::npos ? open : pending_.find('>', open);
            if (close == std::string::npos) {
                // What is kept is one unfinished tag at most: a tag holds no '<'.
                at = open == std::string::npos ? pending_.size() : pending_.rfind('<');
                break;
            }
            if (!tag(std::string_view(pending_).substr(open + 1, close - open - 1), out, fault))
                return false;
            at = close + 1;
        }
        pending_.erase(0, at);
        return true;
    }

private:
    static std::string_view ref(std::string_view tag)
    {
        for (std::size_t at = tag.find_first_of(" \t\r\n"); at < tag.size();) {
            const auto name = tag.find_first_not_of(" \t\r\n", at);
            const auto eq = tag.find('=', name);
            const auto quote = eq == std::string_view::npos ? eq : tag.find_first_of("\"'", eq);
            if (quote == std::string_view::npos)
                break;
            const auto end = tag.find(tag[quote], quote + 1);
            const std::string_view attr = tag.substr(name, tag.find_first_of(" \t\r\n=", name) - name);
            if (attr == "ref" || (attr.size() > 4 && attr.substr(attr.size() - 4) == ":ref"))
                return tag.substr(quote + 1, end == std::string_view::npos ? end : end - quote - 1);
            at = end == std::string_view::npos ? end : end + 1;
        }
        return {};
    }

    static bool tag(std::string_view tag, std::vector<Merge>& out, std::string& fault)
    {
        std::string_view name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
        name.remove_prefix(name.find(':') == std::string_view::npos ? 0 : name.find(':') + 1);
        if (name != "mergeCell")
            return true;
        const std::string_view range = ref(tag);
        const auto colon = range.find(':');
        const auto first = textio::parseCellRef(range.substr(0, colon));
        const auto last = colon == std::string_view::npos ? first : textio::parseCellRef(range.substr(colon + 1));
        if (!first || !last || last->row < first->row || last->column < first->column)
            fault = "the merged range \"" + textio::escaped(range, textio::kQuotedValue) + "\" is not a range";
        else if (out.size() == kMaxMerges)
            fault = "more than " + std::to_string(kMaxMerges) + " merged ranges";
        else
            out.push_back({first->row, first->column, last->row, last->column, {}});
        return fault.empty();
    }

    std::string pending_;
};

// The sheet's rows, a token at a time.
struct RowReader {
    SheetParts& parts;
    const RowFn& fn;
    SheetRead& read;
    MergeFill merges;
    SheetRow row;
    Cell cell;
    std::size_t lastRow = 0, nextColumn = 0;
    std::uint64_t rowBytes = 0;
    std::string fault, scratch;

    bool tooLong()
    {
        if (rowBytes + cell.value.size() + cell.inlineText.text.size() + cell.inlineText.run.size() <= kMaxRowBytes)
            return false;
        fault = "row " + std::to_string(row.number) + " holds more than " + std::to_string(kMaxRowBytes >> 20) +
                " MiB of text";
        return true;
    }

    // The attribute's value as UTF-8, in a buffer kept from token to token.
    const std::string& attributeText(const QXmlStreamAttributes& attributes, const char* name)
    {
        scratch.clear();
        appendUtf8(scratch, attributeView(attributes, name));
        return scratch;
    }

    bool startRow(const QXmlStreamReader& xml)
    {
        const std::string r = attribute(xml, "r");
        const auto n = r.empty() ? std::optional(lastRow + 1) : index(r);
        if (!n || *n == 0 || *n > textio::kWorksheetRows || *n <= lastRow) {
            fault = "row \"" + textio::escaped(r, textio::kQuotedValue) + "\" is out of order or beyond row " +
                    std::to_string(textio::kWorksheetRows);
            return false;
        }
        row.number = *n;
        row.cells.clear();
        row.covered.clear();
        row.sheet = read.sheet;
        rowBytes = 0;
        lastRow = *n;
        nextColumn = 0;
        return true;
    }

    bool startCell(const QXmlStreamReader& xml)
    {
        const QXmlStreamAttributes attributes = xml.attributes();
        const std::string& r = attributeText(attributes, "r");
        auto at = r.empty() ? std::optional(textio::CellRef{row.number, nextColumn}) : textio::parseCellRef(r);
        if (!at || at->row != row.number || at->column >= textio::kWorksheetColumns) {
            fault = "cell \"" + textio::escaped(r, textio::kQuotedValue) + "\" is not a cell of row " +
                    std::to_string(row.number);
            return false;
        }
        cell.clear();
        cell.at = *at;
        appendUtf8(cell.type, attributeView(attributes, "t"));
        cell.style = index(attributeText(attributes, "s")).value_or(0);
        nextColumn = at->column + 1;
        return true;
    }

    void endCell()
    {
        std::string text = cellText(cell, parts, fault);
        merges.cellRead(cell.at, text);
        rowBytes += text.size();
        if (!text.empty()) {
            if (cell.at.column >= row.cells.size()) {
                row.cells.resize(cell.at.column + 1);
                row.covered.resize(cell.at.column + 1);
            }
            row.cells[cell.at.column] = std::move(text);
        }
        cell.clear();  // counted in rowBytes now
    }

    bool endRow()
    {
        if (!merges.fill(row, rowBytes))
            return !tooLong();  // names the row
        while (!row.cells.empty() && row.cells.back().empty()) {
            row.cells.pop_back();
            row.covered.pop_back();
        }
        if (row.cells.empty())
            return true;
        ++read.rows;
        return fn(row);
    }

    bool take(const QXmlStreamReader& xml)
    {
        if (cell.inInline)
            cell.inlineText.take(xml);
        // The token's kind first and its name once: this runs for every token of the sheet.
        if (xml.isCharacters()) {
            if (cell.inValue)
                appendUtf8(cell.value, xml.text());
        } else if (xml.isStartElement()) {
            const QStringView name = xml.name();
            if (name == QLatin1String("row"))
                return startRow(xml);
            if (name == QLatin1String("c"))
                return startCell(xml);
            if (name == QLatin1String("v"))
                cell.inValue = cell.hasValue = true;
            else if (name == QLatin1String("f"))
                cell.formula = true;
            else if (name == QLatin1String("is"))
                cell.inInline = true;
        } else if (xml.isEndElement()) {
            const QStringView name = xml.name();
            if (name == QLatin1String("v"))
                cell.inValue = false;
            else if (name == QLatin1String("is"))
                cell.inInline = false;
            else if (name == QLatin1String("c"))
                endCell();
            else if (name == QLatin1String("row"))
                return endRow();
        }
        return fault.empty() && !tooLong();
    }
};

}  // namespace

std::string readSharedStrings(XlsxArchive& zip, const std::string& entry, SharedStrings& out)
{
    StringText item;
    bool stopped = false;
    std::string error = zip.parse(
        entry,
        [&](QXmlStreamReader& xml) {
            if (opens(xml, "si"))
                item.clear();
            else if (closes(xml, "si"))
                out.add(item.text);
            else
                item.take(xml);
            return out.heldBytes() + item.text.size() + item.run.size() <= kMaxSharedStringBytes;
        },
        &stopped);
    if (stopped)
        return textio::escaped(entry) + " holds more than " + std::to_string(kMaxSharedStringBytes >> 20) +
               " MiB of shared strings";
    return error;
}

std::string readPercentStyles(XlsxArchive& zip, const std::string& entry, std::vector<bool>& out)
{
    std::vector<bool> custom;  // by number format id, from 164 on
    bool inCellFormats = false;
    return zip.parse(entry, [&](QXmlStreamReader& xml) {
        if (opens(xml, "numFmt")) {
            const auto id = index(attribute(xml, "numFmtId"));
            if (id && *id >= 164 && *id < 164 + 65536) {
                custom.resize(std::max(custom.size(), *id - 163));
                custom[*id - 164] = percentFormat(attribute(xml, "formatCode"));
            }
        } else if (opens(xml, "cellXfs") || closes(xml, "cellXfs")) {
            inCellFormats = xml.isStartElement();
        } else if (inCellFormats && opens(xml, "xf")) {
            const std::size_t id = index(attribute(xml, "numFmtId")).value_or(0);
            out.push_back(id == 9 || id == 10 || (id >= 164 && id - 164 < custom.size() && custom[id - 164]));
        }
        return out.size() <= 65536;
    });
}

std::string readMerges(XlsxArchive& zip, const std::string& entry, std::vector<Merge>& out)
{
    MergeScan scan;
    std::string fault;
    const std::string error =
        zip.inflate(entry, [&](std::string_view piece, std::string&) { return scan.take(piece, out, fault); });
    std::sort(out.begin(), out.end(), [](const Merge& a, const Merge& b) { return a.firstRow < b.firstRow; });
    return fault.empty() ? error : textio::escaped(entry) + ": " + fault;
}

std::string streamRows(XlsxArchive& zip, const std::string& entry, SheetParts& parts, const RowFn& fn, SheetRead& read)
{
    RowReader reader{parts, fn, read, MergeFill(parts.merges), {}, {}, 0, 0, 0, {}, {}};
    const std::string error = zip.parse(
        entry, [&](QXmlStreamReader& xml) { return reader.take(xml); }, &read.stopped);
    if (!error.empty())
        return error;
    if (!reader.fault.empty()) {
        read.stopped = false;
        return "sheet \"" + textio::escaped(read.sheet, textio::kQuotedValue) + "\": " + reader.fault;
    }
    return {};
}

}  // namespace mq::sheets
