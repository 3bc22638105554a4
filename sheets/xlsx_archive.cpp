#include "sheets/xlsx_archive.h"

#include <QFileInfo>
#include <memory>
#include <set>
#include <zip.h>

#include "sheets/xlsx_reader.h"
#include "textio/escape.h"

namespace mq::sheets {

namespace {

constexpr std::size_t kPieceBytes = 64 * 1024;
constexpr char kNotZip[] = "not an XLSX workbook (not a zip archive)";

// The XML reader holds a whole text or tag until it ends: what bounds them bounds its memory.
// A run of bytes without '<' or '>' is the longest text or tag there is.
class RunGuard {
public:
    bool take(const char* bytes, zip_int64_t size)
    {
        // Only the run at the piece's end carries on: it starts after the last '<' or '>'.
        const std::string_view piece(bytes, static_cast<std::size_t>(size));
        const auto last = piece.find_last_of("<>");
        run_ = last == std::string_view::npos ? run_ + piece.size() : piece.size() - last - 1;
        return run_ <= kMaxXmlRunBytes;
    }

private:
    std::uint64_t run_ = 0;
};

std::string entryName(const std::string& entry)
{
    return textio::escaped(entry);
}

// Why an entry could not be read, by libzip's code for it.
std::string entryFault(const std::string& name, int code)
{
    switch (code) {
    case ZIP_ER_CRC: return entryName(name) + " is damaged (its checksum does not match)";
    case ZIP_ER_READ:
    case ZIP_ER_EOF: return entryName(name) + " is damaged (the archive ends inside it)";
    case ZIP_ER_MEMORY: return "there is not enough memory to read " + entryName(name);
    default: return entryName(name) + " is damaged (it does not inflate)";
    }
}

struct ZipFileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

// The first name the archive gives two entries (libzip refuses such an archive only as
// "File already exists"); empty when it finds none.
std::string repeatedEntry(const std::string& path)
{
    int code = 0;
    zip_t* lax = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!lax)
        return {};
    std::set<std::string> seen;
    std::string twice;
    const zip_int64_t n = zip_get_num_entries(lax, 0);
    for (zip_int64_t i = 0; i < n && twice.empty(); ++i)
        if (const char* name = zip_get_name(lax, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW))
            if (!seen.insert(name).second)
                twice = name;
    zip_discard(lax);
    return twice;
}

}  // namespace

XlsxArchive::~XlsxArchive()
{
    if (zip_)
        zip_discard(zip_);
}

std::string XlsxArchive::open(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists())
        return "no such file";
    if (info.isDir())
        return "is a directory";
    if (!info.isReadable())
        return "cannot be opened: permission denied";
    int code = 0;
    zip_ = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (zip_)
        return {};
    if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS)
        return kNotZip;
    // Which of the two a spreadsheet would read is anyone's guess: neither is taken.
    if (const std::string twice = code == ZIP_ER_EXISTS ? repeatedEntry(path) : std::string(); !twice.empty())
        return "not a workbook to read: it holds " + entryName(twice) + " twice";
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string why = "cannot be opened: " + std::string(zip_error_strerror(&error));
    zip_error_fini(&error);
    return why;
}

bool XlsxArchive::has(const std::string& entry) const
{
    return zip_ && zip_name_locate(zip_, entry.c_str(), 0) >= 0;
}

std::string XlsxArchive::inflate(const std::string& entry, const PieceFn& fn, bool* stopped)
{
    if (stopped)
        *stopped = false;
    if (!has(entry))
        return "not an XLSX workbook: it has no " + entryName(entry);
    const std::unique_ptr<zip_file_t, ZipFileCloser> in(zip_fopen(zip_, entry.c_str(), 0));
    if (!in)
        return entryName(entry) + " cannot be opened (damaged, or encrypted)";
    RunGuard guard;
    std::string error;
    std::string piece(kPieceBytes, '\0');
    std::uint64_t total = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(in.get(), piece.data(), kPieceBytes);
        if (got < 0)
            return entryFault(entry, zip_error_code_zip(zip_file_get_error(in.get())));
        if (got == 0)
            break;
        total += static_cast<std::uint64_t>(got);
        if (total > kMaxEntryBytes)
            return entryName(entry) + " inflates beyond " + std::to_string(kMaxEntryBytes >> 20) +
                   " MiB: refused, as a zip bomb would be";
        if (!guard.take(piece.data(), got))
            return entryName(entry) + " holds a text or tag longer than " + std::to_string(kMaxXmlRunBytes >> 20) +
                   " MiB";
        if (!fn(std::string_view(piece.data(), static_cast<std::size_t>(got)), error)) {
            if (error.empty() && stopped)
                *stopped = true;
            return error;
        }
    }
    if (!fn(std::string_view(), error) && error.empty() && stopped)
        *stopped = true;
    return error;
}

std::string XlsxArchive::parse(const std::string& entry, const TokenFn& fn, bool* stopped)
{
    QXmlStreamReader xml;
    int depth = 0;
    return inflate(
        entry,
        [&](std::string_view piece, std::string& error) {
            if (!piece.empty())
                xml.addData(QByteArray(piece.data(), static_cast<qsizetype>(piece.size())));
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.hasError())
                    break;
                depth += xml.isStartElement() ? 1 : xml.isEndElement() ? -1 : 0;
                if (depth > kMaxXmlDepth) {
                    error = entryName(entry) + " nests elements deeper than " + std::to_string(kMaxXmlDepth);
                    return false;
                }
                if (!fn(xml))
                    return false;
            }
            if (xml.hasError() && (piece.empty() || xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)) {
                error = entryName(entry) + " is damaged: " + xml.errorString().toStdString() + " at line " +
                        std::to_string(xml.lineNumber());
                return false;
            }
            return true;
        },
        stopped);
}

std::string attribute(const QXmlStreamReader& xml, const char* name)
{
    std::string out;
    appendUtf8(out, attributeView(xml.attributes(), name));
    return out;
}

QStringView attributeView(const QXmlStreamAttributes& attributes, const char* name)
{
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == QLatin1String(name))
            return a.value();
    return {};
}

void appendUtf8(std::string& out, QStringView text)
{
    // Cells are mostly ASCII: those are copied a unit at a time, without a QByteArray between.
    const qsizetype n = text.size();
    const char16_t* units = text.utf16();
    qsizetype i = 0;
    while (i < n && units[i] < 0x80)
        ++i;
    if (i == n) {
        const std::size_t from = out.size();
        out.resize(from + static_cast<std::size_t>(n));
        for (qsizetype k = 0; k < n; ++k)
            out[from + static_cast<std::size_t>(k)] = static_cast<char>(units[k]);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace mq::sheets
