#include "xlsx/sheet.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "textio/cell_text.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::xlsx {

namespace {

std::size_t codePoints(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A folder of our own for libxlsxwriter's file and its scratch files; removed with them.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "maskquill-xlsx-XXXXXX").string();
        if (!ec && ::mkdtemp(pattern.data()))
            path_ = pattern;
        else
            error_ = std::strerror(errno);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

private:
    std::string path_, error_;
};

struct Formats {
    lxw_format* header;
    lxw_format* text;  // the text number format: what a cell that looks like a formula keeps
};

// The rows written of all sheets, told to the caller's progress now and then.
struct Tally {
    const Progress& progress;
    std::size_t done = 0, total = 0;
    bool stopped = false;
    bool step()
    {
        constexpr std::size_t kEvery = 4096;  // rows: often enough for a dialog, rarely enough to cost nothing
        if (++done % kEvery == 0 && progress && !progress(done, total))
            stopped = true;
        return !stopped;
    }
};

// The first code points of text, up to max.
std::string firstCodePoints(const std::string& text, std::size_t max)
{
    std::size_t n = 0, at = 0;
    for (; at < text.size(); ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && n++ == max)
            break;
    return text.substr(0, at);
}

// Writes one sheet's rows; the cause of the first cell libxlsxwriter refuses, else empty
// (also when the tally was stopped).
std::string writeSheet(lxw_workbook* book, const Sheet& sheet, const Formats& formats, Tally& tally)
{
    lxw_worksheet* ws = workbook_add_worksheet(book, sheet.name.c_str());
    if (!ws)
        return "the sheet name \"" + textio::escaped(sheet.name) + "\" is refused";
    worksheet_freeze_panes(ws, 1, 0);
    std::vector<std::size_t> longest(sheet.columns.size());
    auto fail = [&](std::size_t row, std::size_t col, lxw_error e) {
        return "the sheet \"" + sheet.name + "\", row " + std::to_string(row + 1) + ", column " +
               sheet.columns[col].name + ": " + lxw_strerror(e);
    };
    for (std::size_t c = 0; c < sheet.columns.size(); ++c) {
        longest[c] = codePoints(sheet.columns[c].name) + 1;  // bold is wider
        const auto col = static_cast<lxw_col_t>(c);
        if (lxw_error e = worksheet_write_string(ws, 0, col, sheet.columns[c].name.c_str(), formats.header))
            return fail(0, c, e);
    }
    std::vector<std::string> cells;
    for (std::size_t i = 0; i < sheet.rows && tally.step(); ++i) {
        cells.clear();
        sheet.row(i, cells);
        const auto row = static_cast<lxw_row_t>(i + 1);
        for (std::size_t c = 0; c < std::min(cells.size(), sheet.columns.size()); ++c) {
            const std::string& v = cells[c];
            if (v.empty())
                continue;
            longest[c] = std::max(longest[c], codePoints(v));
            const auto col = static_cast<lxw_col_t>(c);
            lxw_error e;
            if (sheet.columns[c].type == CellType::Count && textio::fitsExactly(v))
                e = worksheet_write_number(ws, row, col, static_cast<double>(std::strtoull(v.c_str(), nullptr, 10)),
                                           nullptr);
            else
                e = worksheet_write_string(ws, row, col, textio::escapedXstring(v).c_str(),
                                           textio::readsAsFormula(v) ? formats.text : nullptr);
            if (e)
                return fail(i + 1, c, e);
        }
    }
    // The widths go into the sheet's column list, which libxlsxwriter writes when the
    // workbook is closed: so they can follow the rows, which are streamed.
    for (std::size_t c = 0; c < sheet.columns.size(); ++c) {
        const auto col = static_cast<lxw_col_t>(c);
        worksheet_set_column(ws, col, col, columnWidth(longest[c]), nullptr);
    }
    return {};
}

}  // namespace

double columnWidth(std::size_t longestCell)
{
    return static_cast<double>(std::clamp<std::size_t>(longestCell, 6, 60)) + 2;
}

std::string sheetName(const std::string& wanted, const std::vector<std::string>& taken)
{
    constexpr std::size_t kMaxName = 31;
    std::string name = wanted;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return std::strchr("[]:*?/\\", c) != nullptr; }, '_');
    const auto trim = [](std::string& s) {
        while (!s.empty() && s.back() == '\'')
            s.pop_back();
        s.erase(0, s.find_first_not_of('\''));
    };
    trim(name);
    if (name.empty())
        name = "sheet";
    name = firstCodePoints(name, kMaxName);
    trim(name);
    const auto used = [&](const std::string& n) {
        return std::any_of(taken.begin(), taken.end(),
                           [&](const std::string& t) { return textio::equalsIgnoringCase(t, n); });
    };
    std::string out = name;
    for (std::size_t k = 2; used(out); ++k) {
        const std::string suffix = " (" + std::to_string(k) + ")";
        out = firstCodePoints(name, kMaxName - suffix.size()) + suffix;
    }
    return out;
}

Workbook writeWorkbook(const std::vector<Sheet>& sheets, const Progress& progress)
{
    Workbook out;
    Tally tally{progress};
    for (const Sheet& s : sheets)
        tally.total += s.rows;
    for (const Sheet& s : sheets)
        if (s.rows > kMaxSheetRows) {
            out.error = "the sheet \"" + s.name + "\" has " + std::to_string(s.rows) + " rows; a worksheet holds " +
                        std::to_string(kMaxSheetRows) + " below its header";
            return out;
        }
    const ScratchFolder folder;
    if (folder.path().empty()) {
        out.error = "no temporary folder for the workbook: " + folder.error();
        return out;
    }
    const std::string file = folder.path() + "/book.xlsx";
    // Rows go to a scratch file as they are written instead of staying in memory.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(folder.path().c_str());
    lxw_workbook* book = workbook_new_opt(file.c_str(), &options);
    if (!book) {
        out.error = "the workbook cannot be started in " + textio::escaped(folder.path());
        return out;
    }
    Formats formats{workbook_add_format(book), workbook_add_format(book)};
    format_set_bold(formats.header);
    format_set_num_format(formats.text, "@");
    for (const Sheet& s : sheets)
        if (out.error = writeSheet(book, s, formats, tally); !out.error.empty() || tally.stopped)
            break;
    // Closing also frees the workbook, so it is closed when a sheet failed too.
    if (const lxw_error e = workbook_close(book); e && out.error.empty())
        out.error = std::string("the workbook cannot be written: ") + lxw_strerror(e);
    out.cancelled = tally.stopped;
    if (!out.error.empty() || out.cancelled)
        return out;
    std::ifstream in(file, std::ios::binary);
    out.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.is_open() || in.bad())
        out.error = "the workbook cannot be read back from " + textio::escaped(folder.path());
    return out;
}

}  // namespace mq::xlsx
