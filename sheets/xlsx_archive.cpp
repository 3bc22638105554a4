#include "sheets/xlsx_archive.h"

#include <QFileInfo>
#include <quazip.h>
#include <quazipfile.h>

#include "sheets/xlsx_reader.h"
#include "textio/escape.h"

namespace mq::sheets {

namespace {

constexpr qint64 kPieceBytes = 64 * 1024;

// The XML reader holds a whole text or tag until it ends: what bounds them bounds its memory.
// A run of bytes without '<' or '>' is the longest text or tag there is.
class RunGuard {
public:
    bool take(const char* bytes, qint64 size)
    {
        for (qint64 i = 0; i < size; ++i)
            run_ = bytes[i] == '<' || bytes[i] == '>' ? 0 : run_ + 1;
        return run_ <= kMaxXmlRunBytes;
    }

private:
    std::uint64_t run_ = 0;
};

std::string entryName(const std::string& entry)
{
    return textio::escaped(entry);
}

}  // namespace

XlsxArchive::XlsxArchive() = default;
XlsxArchive::~XlsxArchive() = default;

std::string XlsxArchive::open(const std::string& path)
{
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (!info.exists())
        return "no such file";
    if (info.isDir())
        return "is a directory";
    if (!info.isReadable())
        return "cannot be opened: permission denied";
    zip_ = std::make_unique<QuaZip>(name);
    if (!zip_->open(QuaZip::mdUnzip)) {
        zip_.reset();
        return "not an XLSX workbook (not a zip archive)";
    }
    return {};
}

bool XlsxArchive::has(const std::string& entry) const
{
    return zip_ && zip_->setCurrentFile(QString::fromStdString(entry));
}

std::string XlsxArchive::inflate(const std::string& entry, const PieceFn& fn, bool* stopped)
{
    if (stopped)
        *stopped = false;
    if (!has(entry))
        return "not an XLSX workbook: it has no " + entryName(entry);
    QuaZipFile file(zip_.get());
    if (!file.open(QIODevice::ReadOnly))
        return entryName(entry) + " cannot be opened (damaged, or encrypted)";
    RunGuard guard;
    std::uint64_t total = 0;
    QByteArray piece(kPieceBytes, Qt::Uninitialized);
    for (bool end = false; !end;) {
        const qint64 got = file.read(piece.data(), kPieceBytes);
        if (got < 0)
            return entryName(entry) + " is damaged (it does not inflate)";
        end = got == 0;
        total += static_cast<std::uint64_t>(got);
        if (total > kMaxEntryBytes)
            return entryName(entry) + " inflates beyond " + std::to_string(kMaxEntryBytes >> 20) +
                   " MiB: refused, as a zip bomb would be";
        if (!guard.take(piece.constData(), got))
            return entryName(entry) + " holds a text or tag longer than " + std::to_string(kMaxXmlRunBytes >> 20) +
                   " MiB";
        std::string error;
        if (!fn(std::string_view(piece.constData(), static_cast<std::size_t>(got)), error)) {
            if (error.empty() && stopped)
                *stopped = true;
            return error;
        }
    }
    file.close();
    if (file.getZipError() != UNZ_OK)
        return entryName(entry) + " is damaged (its checksum does not match)";
    return {};
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
    for (const QXmlStreamAttribute& a : xml.attributes())
        if (a.name() == QLatin1String(name))
            return a.value().toString().toStdString();
    return {};
}

}  // namespace mq::sheets
