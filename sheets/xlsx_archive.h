#pragma once
// The zip archive under a workbook: an entry's XML parsed as it inflates, a piece at a time,
// and refused once it passes kMaxEntryBytes.
//
// The archive is read through libzip, not QuaZip: QuaZip carries its own copy of minizip
// under minizip's names, and libxlsxwriter, which writes the workbooks, calls the system's
// minizip by those names; in one process the dynamic linker binds both to one copy and the
// other crashes. libzip has names of its own.
#include <QXmlStreamReader>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct zip;

namespace mq::sheets {

class XlsxArchive {
public:
    XlsxArchive() = default;
    XlsxArchive(const XlsxArchive&) = delete;
    XlsxArchive& operator=(const XlsxArchive&) = delete;
    ~XlsxArchive();

    // Why the file cannot be read as a zip archive; empty when it opened.
    std::string open(const std::string& path);
    bool has(const std::string& entry) const;

    // Hands on the entry's bytes as they inflate, a piece at a time, and an empty piece at
    // the end; fn returns false to stop, setting the error or (where it leaves it empty)
    // *stopped. Why the entry could not be read to its end; empty when it was.
    using PieceFn = std::function<bool(std::string_view piece, std::string& error)>;
    std::string inflate(const std::string& entry, const PieceFn& fn, bool* stopped = nullptr);

    // Hands each token of the entry's XML to fn, which returns false to stop (setting
    // *stopped). Why the entry could not be read to its end; empty when it was.
    using TokenFn = std::function<bool(QXmlStreamReader&)>;
    std::string parse(const std::string& entry, const TokenFn& fn, bool* stopped = nullptr);

private:
    struct zip* zip_ = nullptr;
};

// The XML attribute of that local name ("r:id" is "id"), as UTF-8; empty when missing.
std::string attribute(const QXmlStreamReader& xml, const char* name);
// The same as stored, valid while the attributes are; empty when missing.
QStringView attributeView(const QXmlStreamAttributes& attributes, const char* name);
// Appends text as UTF-8.
void appendUtf8(std::string& out, QStringView text);

}  // namespace mq::sheets
