#include "classless/listing.h"

#include "net/parse.h"
#include "textio/fields.h"

#include <algorithm>
#include <cctype>

namespace mq::classless {

u128 offsetClamped(u128 a, long long delta, u128 max)
{
    if (delta < 0) {
        const u128 d = static_cast<u128>(-(delta + 1)) + 1;
        return d > a ? 0 : a - d;
    }
    const u128 d = static_cast<u128>(delta);
    return d > max - std::min(a, max) ? max : a + d;
}

void SubnetListing::clear()
{
    splitter_.reset();
    top_ = current_ = anchor_ = 0;
}

void SubnetListing::setParent(const std::optional<net::Prefix>& parent)
{
    const bool same = parent_ && parent && *parent_ == *parent;
    parent_ = parent;
    if (same || !shown())
        return;
    if (!parent || newLength_ < parent->length || newLength_ > parent->address.bits()) {
        // The new prefix cannot be split at the old length: the old rows would mislead.
        clear();
        return;
    }
    splitter_.emplace(*parent, newLength_);
    top_ = current_ = anchor_ = 0;
}

bool SubnetListing::split()
{
    message.clear();
    if (!parent_) {
        message = "Type an address or prefix first: there is nothing to split.";
        return false;
    }
    std::string t(textio::trimBlanks(splitText));
    if (!t.empty() && t[0] == '/')
        t.erase(0, 1);
    const int bits = parent_->address.bits();
    const auto n = net::parseDecimal(t);
    if (!n || *n < static_cast<u128>(parent_->length) || *n > static_cast<u128>(bits)) {
        message = "Split into /N: N must be a whole number from " + std::to_string(parent_->length) + " to " +
                  std::to_string(bits) + " (\"" + splitText + "\" is not).";
        return false;
    }
    newLength_ = static_cast<int>(*n);
    splitter_.emplace(*parent_, newLength_);
    top_ = current_ = anchor_ = 0;
    return true;
}

net::Count SubnetListing::rowCount() const
{
    return shown() ? splitter_->rowCount() : net::Count{};
}

void SubnetListing::setVisibleRows(int rows)
{
    visible_ = std::max(1, rows);
    scrollTo(top_);
}

u128 SubnetListing::lastTop() const
{
    const u128 last = lastRow();
    const auto v = static_cast<u128>(visible_);
    return last + 1 > v && last + 1 != 0 ? last + 1 - v : (last + 1 == 0 ? last - v + 1 : 0);
}

void SubnetListing::scrollTo(u128 top)
{
    top_ = std::min(top, lastTop());
}

void SubnetListing::scrollBy(long long rows)
{
    top_ = offsetClamped(top_, rows, lastTop());
}

int SubnetListing::scrollMaximum() const
{
    const u128 lt = lastTop();
    return lt <= static_cast<u128>(kScrollSteps) ? static_cast<int>(lt) : kScrollSteps;
}

int SubnetListing::scrollValue() const
{
    const u128 lt = lastTop();
    if (lt <= static_cast<u128>(kScrollSteps))
        return static_cast<int>(top_);
    if (top_ == lt)
        return kScrollSteps;
    const auto steps = static_cast<u128>(kScrollSteps);
    // The inverse of setScrollValue, so a position read back is the one set: rounded up
    // where the product fits 128 bits, and by the quotient (then exact) where it does not.
    const u128 v = (lt >> 97) == 0 ? (top_ * steps + lt - 1) / lt : top_ / (lt / steps);
    return static_cast<int>(std::min(v, steps - 1));
}

void SubnetListing::setScrollValue(int value)
{
    const u128 lt = lastTop();
    const auto v = static_cast<u128>(std::clamp(value, 0, scrollMaximum()));
    if (lt <= static_cast<u128>(kScrollSteps)) {
        top_ = v;
        return;
    }
    const auto steps = static_cast<u128>(kScrollSteps);
    // floor(lastTop * v / steps), split so no product passes 128 bits.
    top_ = (lt / steps) * v + ((lt % steps) * v) / steps;
}

void SubnetListing::keepInView()
{
    const auto v = static_cast<u128>(visible_);
    if (current_ < top_)
        top_ = current_;
    else if (current_ - top_ >= v)
        top_ = current_ - v + 1;
    scrollTo(top_);
}

void SubnetListing::moveTo(u128 row, bool extend)
{
    if (!shown())
        return;
    current_ = std::min(row, lastRow());
    if (!extend)
        anchor_ = current_;
    keepInView();
}

void SubnetListing::moveBy(long long rows, bool extend)
{
    moveTo(offsetClamped(current_, rows, lastRow()), extend);
}

bool SubnetListing::isSelected(u128 row) const
{
    return shown() && row >= selectionFirst() && row <= selectionLast();
}

bool SubnetListing::jump(const std::string& text)
{
    message.clear();
    if (!shown()) {
        message = "Split a prefix first: there is no listing to jump in.";
        return false;
    }
    const std::string t(textio::trimBlanks(text));
    const bool digits =
        !t.empty() && std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    std::optional<u128> row;
    if (digits) {
        row = net::parseDecimal(t);
        if (!row || *row > lastRow()) {
            message = "Row " + t + " is past the last row, " + net::toDecimal(lastRow()) + ".";
            return false;
        }
    } else {
        auto a = net::parseAddress(t);
        if (auto* e = std::get_if<net::ParseError>(&a)) {
            message = "Jump to: type a row number or an address. " + net::describe(t, *e);
            return false;
        }
        row = splitter_->rowOf(std::get<net::Address>(a));
        if (!row) {
            message = t + " lies outside the listing's prefix.";
            return false;
        }
    }
    moveTo(*row, false);
    // The row found goes to the top of the view, where the eye looks first.
    scrollTo(*row);
    return true;
}

bool SubnetListing::selectAll()
{
    message.clear();
    if (!shown())
        return false;
    if (lastRow() >= kCopyLimit) {
        message = "The listing has " + net::toDecimal(rowCount()) + " rows: too many to select and copy (at most " +
                  net::toDecimal(kCopyLimit) + "). Select fewer rows, or save the listing as CSV.";
        return false;
    }
    anchor_ = 0;
    current_ = lastRow();
    return true;
}

std::optional<std::string> SubnetListing::copySelection()
{
    message.clear();
    if (!shown())
        return std::nullopt;
    const u128 first = selectionFirst(), last = selectionLast();
    if (last - first >= kCopyLimit) {
        message = "The selection has " + net::toDecimal(last - first + 1) + " rows: too many to copy (at most " +
                  net::toDecimal(kCopyLimit) + "). Select fewer rows, or save the listing as CSV.";
        return std::nullopt;
    }
    std::string out;
    for (u128 r = first;; ++r) {
        appendRow(out, r, '\t');
        out += '\n';
        if (r == last)
            break;
    }
    return out;
}

void SubnetListing::appendRow(std::string& out, u128 row, char sep) const
{
    const net::SubnetRow r = splitter_->row(row);
    appendDecimal(out, r.index);
    out += sep;
    net::appendFormat(out, r.network.network());
    out += '/';
    appendDecimal(out, static_cast<u128>(r.network.length));
    out += sep;
    net::appendFormat(out, r.first);
    out += sep;
    net::appendFormat(out, r.last);
    out += sep;
    if (r.broadcast)
        net::appendFormat(out, *r.broadcast);
}

std::array<std::string, kListingColumns> SubnetListing::cells(u128 row) const
{
    const net::SubnetRow r = splitter_->row(row);
    std::array<std::string, kListingColumns> c;
    c[0] = net::toDecimal(r.index);
    c[1] = net::formatNetwork(r.network);
    c[2] = net::format(r.first);
    c[3] = net::format(r.last);
    if (r.broadcast)
        c[4] = net::format(*r.broadcast);
    return c;
}

}  // namespace mq::classless
