#pragma once
// The one way mqnet names what it refused: "mqnet: WHERE: WHAT" on standard error, input
// quoted escaped and shortened (textio/escape.h) so that no byte of a file can drive the
// terminal, and written through a buffer so that a million refused lines stay quick.
#include <cstddef>
#include <string_view>

#include "app/mqnet/writer.h"

namespace mq::mqnet {

class Faults {
public:
    explicit Faults(BufferedWriter& err) : err_(err) { }

    // "mqnet: WHERE: WHAT"; both are the program's own text (input in them already escaped).
    void say(std::string_view where, std::string_view what);
    // "mqnet: SOURCE line N: ITEM: REASON": source (a file name) and item are escaped and
    // shortened here; the reason is the program's own text. Counts as a refused item.
    void refused(std::string_view source, std::size_t line, std::string_view item, std::string_view reason);
    // "mqnet: WHERE: REASON" for an item named by its place alone (a sheet's row: SOURCE sheet
    // "S" row N), both the program's own text. Counts as a refused item.
    void refusedAt(std::string_view where, std::string_view reason);
    // "mqnet: SOURCE line N: the line is longer than 65536 bytes". Counts as a refused item.
    void tooLong(std::string_view source, std::size_t line);

    std::size_t refusedItems() const { return refused_; }
    bool flush() { return err_.flush(); }

private:
    BufferedWriter& err_;
    std::size_t refused_ = 0;
};

}  // namespace mq::mqnet
