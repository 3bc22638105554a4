#include "sheets/xlsx_reader.h"

#include <QDir>
#include <map>

#include "sheets/xlsx_archive.h"
#include "sheets/xlsx_sheet.h"
#include "textio/cell_text.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::sheets {

namespace {

bool opens(const QXmlStreamReader& xml, const char* name)
{
    return xml.isStartElement() && xml.name() == QLatin1String(name);
}

// A relationship's target, relative to the folder of the part that has it ("xl/"), or from
// the archive's root when it starts with '/'.
std::string resolved(const std::string& folder, const std::string& target)
{
    const std::string path = !target.empty() && target.front() == '/' ? target.substr(1) : folder + target;
    return QDir::cleanPath(QString::fromStdString(path)).toStdString();
}

std::string folderOf(const std::string& part)
{
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// The relationships file of a part: xl/workbook.xml has xl/_rels/workbook.xml.rels.
std::string relsOf(const std::string& part)
{
    return folderOf(part) + "_rels/" + part.substr(folderOf(part).size()) + ".rels";
}

struct Relationship {
    std::string type;  // the last part of its type: "worksheet", "sharedStrings", "styles"
    std::string target;  // resolved
};

std::string readRels(XlsxArchive& zip, const std::string& part, std::map<std::string, Relationship>& out)
{
    const std::string rels = relsOf(part), folder = folderOf(part);
    if (!zip.has(rels))
        return {};
    return zip.parse(rels, [&](QXmlStreamReader& xml) {
        if (opens(xml, "Relationship") && attribute(xml, "TargetMode") != "External") {
            std::string type = attribute(xml, "Type");
            type = type.substr(type.rfind('/') + 1);
            out[attribute(xml, "Id")] = {type, resolved(folder, attribute(xml, "Target"))};
        }
        return true;
    });
}

struct SheetEntry {
    std::string name, id;
};

std::string quotedNames(const std::vector<SheetEntry>& sheets)
{
    std::string out;
    for (const SheetEntry& s : sheets)
        out += (out.empty() ? "\"" : ", \"") + textio::escaped(s.name, textio::kQuotedValue) + "\"";
    return out;
}

// The workbook part from the package's relationships; where those are missing, where every
// spreadsheet program puts it.
std::string workbookPart(XlsxArchive& zip, std::string& error)
{
    std::map<std::string, Relationship> root;
    error = readRels(zip, "", root);
    for (const auto& [id, r] : root)
        if (r.type == "officeDocument")
            return r.target;
    return "xl/workbook.xml";
}

struct Workbook {
    std::vector<SheetEntry> sheets;
    std::map<std::string, Relationship> rels;
    std::string sharedStrings, styles;
};

std::string readWorkbook(XlsxArchive& zip, Workbook& book)
{
    std::string error;
    const std::string part = workbookPart(zip, error);
    if (!error.empty())
        return error;
    error = zip.parse(part, [&](QXmlStreamReader& xml) {
        if (opens(xml, "sheet"))
            book.sheets.push_back({attribute(xml, "name"), attribute(xml, "id")});
        return book.sheets.size() <= 100'000;
    });
    if (error.empty())
        error = readRels(zip, part, book.rels);
    for (const auto& [id, r] : book.rels) {
        if (r.type == "sharedStrings")
            book.sharedStrings = r.target;
        else if (r.type == "styles")
            book.styles = r.target;
    }
    if (error.empty() && book.sheets.empty())
        error = "the workbook has no sheet";
    return error;
}

const SheetEntry* chosen(const Workbook& book, const std::string& name)
{
    if (name.empty())
        return &book.sheets.front();
    const QString wanted = QString::fromStdString(name);
    for (const SheetEntry& s : book.sheets)
        if (QString::fromStdString(s.name).compare(wanted, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

}  // namespace

SheetRead readSheet(const std::string& path, const std::string& sheet, const RowFn& fn)
{
    SheetRead r;
    XlsxArchive zip;
    Workbook book;
    if (r.error = zip.open(path); !r.error.empty())
        return r;
    if (r.error = readWorkbook(zip, book); !r.error.empty())
        return r;
    const SheetEntry* entry = chosen(book, sheet);
    if (!entry) {
        r.error = "the workbook has no sheet \"" + textio::escaped(sheet, textio::kQuotedValue) +
                  "\"; its sheets are " + quotedNames(book.sheets);
        return r;
    }
    r.sheet = entry->name;
    const auto rel = book.rels.find(entry->id);
    if (rel == book.rels.end() || rel->second.type != "worksheet") {
        r.error = "sheet \"" + textio::escaped(entry->name, textio::kQuotedValue) + "\" is not a worksheet";
        return r;
    }
    SheetParts parts;
    if (!book.sharedStrings.empty() && zip.has(book.sharedStrings))
        r.error = readSharedStrings(zip, book.sharedStrings, parts.strings);
    if (r.error.empty() && !book.styles.empty() && zip.has(book.styles))
        r.error = readPercentStyles(zip, book.styles, parts.percentStyles);
    if (r.error.empty())
        r.error = readMerges(zip, rel->second.target, parts.merges);
    if (r.error.empty())
        r.error = streamRows(zip, rel->second.target, parts, fn, r);
    return r;
}

std::vector<std::string> sheetNames(const std::string& path, std::string* error)
{
    XlsxArchive zip;
    Workbook book;
    std::vector<std::string> names;
    if (*error = zip.open(path); error->empty())
        *error = readWorkbook(zip, book);
    if (error->empty())
        for (const SheetEntry& s : book.sheets)
            names.push_back(s.name);
    return names;
}

std::string rowName(const std::string& sheet, std::size_t row)
{
    return "sheet \"" + textio::escaped(sheet, textio::kQuotedValue) + "\" row " + std::to_string(row);
}

}  // namespace mq::sheets
