// "Lists": one or two pasted lists of addresses, prefixes and ranges (both
// families) and an operation on them: the summary of A, the union, intersection
// or symmetric difference of A and B, A except B, the overlaps within A or
// between A and B, or the free space of a block given A as used. Each list is read
// as mqnet reads a file (textio: comments, CR LF, byte order mark, the line-length
// limit); lines that do not read are listed with their list and number, the rest
// still counts.
//
// workOut is plain, synchronous work that a window may run on another thread: it
// looks at the cancel flag as it goes and stops early when it is set.
#pragma once

#include "net/address.h"
#include "textio/problem.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mq::classless {

enum class ListOperation { Summarize, Union, Intersection, Except, SymmetricDifference, Overlaps, FreeSpace };

struct OperationInfo {
    ListOperation op;
    const char* name;  // as the operation list shows it
    bool needsB;  // B takes part (for overlaps, B is optional)
    bool usesB;
    bool needsBlock;
};
// The operations, in the order the page offers them.
const std::vector<OperationInfo>& listOperations();
const OperationInfo& operationInfo(ListOperation op);

struct ListsRequest {
    ListOperation op = ListOperation::Summarize;
    std::string a, b;
    std::string block;  // the block whose free space is asked for
};

struct ListsResult {
    ListOperation op = ListOperation::Summarize;
    std::vector<std::string> lines;  // prefixes (IPv4 first, in address order) or overlap pairs
    std::size_t pairs = 0;  // overlap pairs found; lines holds the first kMaxPairLines
    // The lines not read: the list ("A" or "B") as the problem's file, its line, why (the item
    // escaped and shortened); textio::describe gives "A line 3: ten: ... at character 1".
    textio::Problems refused;
    std::size_t itemsA = 0, itemsB = 0;
    net::Count v4, v6;  // addresses of the result's prefixes
    std::string problem;  // why the request cannot be worked out (the block); "" when it can
    bool cancelled = false;  // stopped part way: nothing in it may be shown
};

// Equal items pair with each other: 20,000 of them make 200 million pairs, which are counted
// but not all listed.
constexpr std::size_t kMaxPairLines = 100000;

ListsResult workOut(const ListsRequest& request, const std::atomic<bool>* cancel = nullptr);

// "3 items in A, 2 prefixes out, 512 IPv4 addresses; 1 line not read" and the like.
std::string countsText(const ListsResult& r);

class ListsForm {
public:
    ListsRequest request;  // the page's boxes
    ListsResult result;  // of the last request worked out: it stays until the next one is done

    // Works the request out at once (tests, small lists).
    void update();
    // A result worked out elsewhere (the window's worker thread).
    void setResult(ListsResult r) { result = std::move(r); }

    std::string countsText() const { return classless::countsText(result); }
    std::vector<std::string> errors() const;
    // Save, Print: the operation, the counts, the result, the refused lines; empty when
    // there is nothing to give.
    std::vector<std::string> reportLines() const;
    bool hasReport() const;  // reportLines() would give something
    // Save as CSV or a workbook: a result of prefixes (not the overlap pairs) was worked out.
    bool hasPrefixTable() const;
};

// The result's prefixes as a table, one a row: the header, and a line's cells (the prefix, its
// first and last address, how many addresses it holds); a line that is no prefix has none.
inline constexpr const char* kResultColumns[] = {"prefix", "first", "last", "addresses"};
std::vector<std::string> resultCells(std::string_view line);

// A list file to load into A or B: a regular file of at most kMaxListFileBytes,
// read whole; nothing, and *error saying why, otherwise.
inline constexpr std::size_t kMaxListFileBytes = std::size_t{256} << 20;
std::optional<std::string> readListFile(const std::string& path, std::string* error);

}  // namespace mq::classless
