// A streaming Rich Text Format writer: paragraphs go out as they are written,
// in chunks, so a listing of millions of lines never exists as one document.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

// Where the bytes go: a file being saved, or a string in tests.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False when the bytes could not be written; nothing more is sent after that.
    virtual bool write(std::string_view bytes) = 0;
};

class StringSink : public ByteSink {
public:
    std::string bytes;
    bool write(std::string_view b) override
    {
        bytes.append(b);
        return true;
    }
};

struct RtfDocumentFormat {
    std::string fontName = "Arial";
    int halfPoints = 18;  // 9 point
};

class RtfWriter {
public:
    RtfWriter(ByteSink& sink, RtfDocumentFormat format = {});

    // The header: character set, font table and the document's font size.
    void begin();
    // Tab stops (twips) for this paragraph and the ones after it.
    void setTabStops(const std::vector<int>& twips);
    // One paragraph; TAB characters become tabs, the text is escaped.
    void paragraph(std::string_view text, bool bold = false, bool italic = false);
    // Closes the document and sends what is left. False when any write failed.
    bool end();

    bool ok() const { return good; }

    // The text as RTF body text: \ { } escaped, TAB as \tab, non-ASCII
    // (UTF-8) as \uN with a '?' fallback, other control characters dropped.
    static void appendEscaped(std::string_view text, std::string& out);

private:
    void flushIfFull();

    ByteSink& sink;
    RtfDocumentFormat fmt;
    std::string buffer;
    bool good = true;
};

}  // namespace mq
