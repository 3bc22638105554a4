#include "sheets/xlsx_archive.h"

#include <QFileInfo>
#include <memory>
#include <zlib.h>

#include "sheets/xlsx_reader.h"
#include "textio/escape.h"

namespace mq::sheets {

namespace {

constexpr qint64 kPieceBytes = 64 * 1024;
constexpr std::uint32_t kEndSignature = 0x06054b50, kCentralSignature = 0x02014b50, kLocalSignature = 0x04034b50;
constexpr qint64 kEndBytes = 22, kCentralBytes = 46, kLocalBytes = 30;
constexpr qint64 kMaxDirectoryBytes = 16 << 20;  // some 100,000 entries; a workbook has dozens
constexpr char kNotZip[] = "not an XLSX workbook (not a zip archive)";

std::uint32_t le(const char* p, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(p[i]);
    return v;
}

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

// The entry's bytes as they lie in the archive, stored or deflated, inflated a piece at a
// time and counted against kMaxEntryBytes; each piece goes to out (false stops).
class EntryStream {
public:
    EntryStream(QFile& file, const XlsxArchive::Entry& e, const std::string& name) : file_(file), e_(e), name_(name) { }
    ~EntryStream()
    {
        if (started_)
            inflateEnd(&z_);
    }

    // Why the entry could not be read; empty when it was read to its end or out stopped.
    std::string run(const std::function<bool(const char*, qint64)>& out)
    {
        if (e_.method == 8) {
            if (inflateInit2(&z_, -MAX_WBITS) != Z_OK)
                return "there is not enough memory to read " + entryName(name_);
            started_ = true;
        }
        QByteArray in(kPieceBytes, Qt::Uninitialized), piece(kPieceBytes, Qt::Uninitialized);
        std::uint64_t left = e_.packed;
        for (bool end = false; !end;) {
            const qint64 want = static_cast<qint64>(std::min<std::uint64_t>(left, kPieceBytes));
            const qint64 got = want ? file_.read(in.data(), want) : 0;
            if (got < 0 || got < want)
                return entryName(name_) + " is damaged (the archive ends inside it)";
            left -= static_cast<std::uint64_t>(got);
            if (e_.method == 0) {
                end = left == 0;
                if (!take(in.constData(), got, out))
                    return stopped_ ? std::string() : fault_;
                continue;
            }
            z_.next_in = reinterpret_cast<Bytef*>(in.data());
            z_.avail_in = static_cast<uInt>(got);
            do {
                z_.next_out = reinterpret_cast<Bytef*>(piece.data());
                z_.avail_out = static_cast<uInt>(kPieceBytes);
                const int r = ::inflate(&z_, Z_NO_FLUSH);
                if (r != Z_OK && r != Z_STREAM_END && !(r == Z_BUF_ERROR && got == 0))
                    return entryName(name_) + " is damaged (it does not inflate)";
                if (!take(piece.constData(), kPieceBytes - z_.avail_out, out))
                    return stopped_ ? std::string() : fault_;
                end = r == Z_STREAM_END;
                if (!end && left == 0 && got == 0 && z_.avail_out != 0)
                    return entryName(name_) + " is damaged (it does not inflate)";
            } while (!end && z_.avail_out == 0);
        }
        if (total_ != e_.size || crc_ != e_.crc)
            return entryName(name_) + " is damaged (its checksum does not match)";
        return {};
    }

    bool stopped() const { return stopped_; }

private:
    bool take(const char* bytes, qint64 size, const std::function<bool(const char*, qint64)>& out)
    {
        total_ += static_cast<std::uint64_t>(size);
        if (total_ > kMaxEntryBytes) {
            fault_ = entryName(name_) + " inflates beyond " + std::to_string(kMaxEntryBytes >> 20) +
                     " MiB: refused, as a zip bomb would be";
            return false;
        }
        crc_ = static_cast<std::uint32_t>(crc32(crc_, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(size)));
        if (size && !out(bytes, size)) {
            stopped_ = true;
            return false;
        }
        return true;
    }

    QFile& file_;
    const XlsxArchive::Entry& e_;
    const std::string& name_;
    z_stream z_{};
    bool started_ = false, stopped_ = false;
    std::uint64_t total_ = 0;
    std::uint32_t crc_ = 0;
    std::string fault_;
};

}  // namespace

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
    file_.setFileName(name);
    if (!file_.open(QIODevice::ReadOnly))
        return "cannot be opened: " + file_.errorString().toStdString();
    return readDirectory();
}

// The central directory, found from its end record in the last 64 KiB (the end record and
// the longest comment it may have).
std::string XlsxArchive::readDirectory()
{
    const qint64 size = file_.size();
    const qint64 tail = std::min<qint64>(size, kEndBytes + 0xFFFF);
    if (tail < kEndBytes || !file_.seek(size - tail))
        return kNotZip;
    const QByteArray end = file_.read(tail);
    qint64 at = end.size() - kEndBytes;
    while (at >= 0 && le(end.constData() + at, 4) != kEndSignature)
        --at;
    if (at < 0)
        return kNotZip;
    const char* e = end.constData() + at;
    const std::uint32_t count = le(e + 10, 2), bytes = le(e + 12, 4), offset = le(e + 16, 4);
    if (count == 0xFFFF || bytes == 0xFFFFFFFF || offset == 0xFFFFFFFF)
        return "not an XLSX workbook: a zip archive beyond 4 GiB (ZIP64)";
    if (bytes > kMaxDirectoryBytes || offset + std::uint64_t{bytes} > static_cast<std::uint64_t>(size - tail + at) ||
        !file_.seek(offset))
        return kNotZip;
    const QByteArray dir = file_.read(bytes);
    if (dir.size() != static_cast<qsizetype>(bytes))
        return kNotZip;
    for (qint64 p = 0; entries_.size() < count;) {
        const char* c = dir.constData() + p;
        if (p + kCentralBytes > dir.size() || le(c, 4) != kCentralSignature)
            return kNotZip;
        const qint64 nameBytes = le(c + 28, 2), rest = nameBytes + le(c + 30, 2) + le(c + 32, 2);
        if (p + kCentralBytes + rest > dir.size())
            return kNotZip;
        Entry entry{static_cast<std::uint16_t>(le(c + 8, 2)),
                    static_cast<std::uint16_t>(le(c + 10, 2)),
                    le(c + 16, 4),
                    le(c + 20, 4),
                    le(c + 24, 4),
                    le(c + 42, 4)};
        entries_[std::string(c + kCentralBytes, static_cast<std::size_t>(nameBytes))] = entry;
        p += kCentralBytes + rest;
    }
    return {};
}

std::string XlsxArchive::inflate(const std::string& entry, const PieceFn& fn, bool* stopped)
{
    if (stopped)
        *stopped = false;
    const auto it = entries_.find(entry);
    if (it == entries_.end())
        return "not an XLSX workbook: it has no " + entryName(entry);
    const Entry& e = it->second;
    char local[kLocalBytes];
    if ((e.flags & 1) || (e.method != 0 && e.method != 8) || !file_.seek(static_cast<qint64>(e.offset)) ||
        file_.read(local, kLocalBytes) != kLocalBytes || le(local, 4) != kLocalSignature ||
        !file_.seek(static_cast<qint64>(e.offset) + kLocalBytes + le(local + 26, 2) + le(local + 28, 2)))
        return entryName(entry) + " cannot be opened (damaged, or encrypted)";
    RunGuard guard;
    std::string error;
    EntryStream stream(file_, e, entry);
    std::string fault = stream.run([&](const char* bytes, qint64 size) {
        if (!guard.take(bytes, size)) {
            error =
                entryName(entry) + " holds a text or tag longer than " + std::to_string(kMaxXmlRunBytes >> 20) + " MiB";
            return false;
        }
        return fn(std::string_view(bytes, static_cast<std::size_t>(size)), error);
    });
    if (stream.stopped()) {
        if (error.empty() && stopped)
            *stopped = true;
        return error;
    }
    if (fault.empty() && !fn(std::string_view(), fault) && fault.empty() && stopped)
        *stopped = true;
    return fault;
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
