// "Split into /N": the subnets of the results' prefix at a longer prefix, as a
// virtual table of any row count (up to 2^128) over the engine's constant-time
// row access. The view keeps its own top row, current row and selection in
// 128-bit numbers; a scroll bar's int range is mapped onto the whole listing.
#pragma once

#include "net/split.h"

#include <array>
#include <optional>
#include <string>

namespace mq::classless {

using net::u128;

inline constexpr int kListingColumns = 5;
inline constexpr const char* kListingHeadings[kListingColumns] = {"Index", "Network", "First", "Last", "Broadcast"};
// Above this many rows a copy is refused: the clipboard text would run to megabytes.
inline constexpr u128 kCopyLimit = 100000;
// Scroll bar positions when the rows do not fit an int one to one.
inline constexpr int kScrollSteps = 1 << 30;

class SubnetListing {
public:
    // ---- controls
    std::string splitText;  // the "/N" box: "30" or "/30"
    std::string message;  // why the listing or a command was refused; "" when all is well

    // The prefix the results describe; a shown listing follows it at the same
    // new length where that still fits.
    void setParent(const std::optional<net::Prefix>& parent);
    // "Split into /N" pressed (or Enter in its box).
    bool split();
    void clear();

    bool shown() const { return splitter_.has_value(); }
    const net::Splitter& splitter() const { return *splitter_; }
    int newLength() const { return newLength_; }
    net::Count rowCount() const;
    u128 lastRow() const { return shown() ? splitter_->lastIndex() : 0; }

    // ---- the view
    void setVisibleRows(int rows);
    int visibleRows() const { return visible_; }
    u128 top() const { return top_; }
    u128 lastTop() const;
    void scrollTo(u128 top);
    void scrollBy(long long rows);
    // The scroll bar: 0..scrollMaximum(), mapped onto 0..lastTop().
    int scrollMaximum() const;
    int scrollValue() const;
    void setScrollValue(int value);

    u128 current() const { return current_; }
    u128 anchor() const { return anchor_; }
    // Moves the current row (Up, Down, Page Up, Page Down) and keeps it in view;
    // extend keeps the selection's anchor (Shift).
    void moveBy(long long rows, bool extend);
    void moveTo(u128 row, bool extend);
    void moveHome(bool extend) { moveTo(0, extend); }
    void moveEnd(bool extend) { moveTo(lastRow(), extend); }
    bool isSelected(u128 row) const;
    u128 selectionFirst() const { return anchor_ < current_ ? anchor_ : current_; }
    u128 selectionLast() const { return anchor_ < current_ ? current_ : anchor_; }

    // A typed row number (from 0) or an address; message says why not when false.
    bool jump(const std::string& text);
    // Ctrl+A: refused with a message above kCopyLimit rows.
    bool selectAll();
    // The selected rows as TAB-separated lines; nothing (and a message) when too many.
    std::optional<std::string> copySelection();

    std::array<std::string, kListingColumns> cells(u128 row) const;
    // One row, its fields joined by sep, appended to out (the CSV and copy paths).
    void appendRow(std::string& out, u128 row, char sep) const;

private:
    void keepInView();

    std::optional<net::Prefix> parent_;
    std::optional<net::Splitter> splitter_;
    int newLength_ = 0;
    int visible_ = 1;
    u128 top_ = 0, current_ = 0, anchor_ = 0;
};

// Decimal digits of v appended to out, without a temporary string: the engine's writer.
using net::appendDecimal;
// a + delta, kept within 0..max.
u128 offsetClamped(u128 a, long long delta, u128 max);

}  // namespace mq::classless
