#pragma once
// The address lists that set, overlaps, free and grep -f read, through the shared list reader
// (list_file.h): one address, prefix or range a line.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/mqnet/command_line.h"
#include "app/mqnet/list_file.h"
#include "net/address.h"
#include "net/parse.h"

namespace mq::mqnet {

// Why an item (read by net::parseListItem) was refused, without the item, as a refused line
// names it after the item: "MESSAGE at character N".
std::string refusalReason(const net::ParseError& e);

// Reads the list at `path` and hands each good item on; refused lines are named. False when
// the file could not be read.
using ListItemFn = std::function<void(const net::Range& range, const ListLine& line)>;
bool readAddressList(const Invocation& call, const std::string& path, const ListItemFn& add);

// Standard input ("-") may be named once among the files: false (and named) when it is not.
bool standardInputOnce(const Invocation& call, const std::vector<std::string>& paths);

}  // namespace mq::mqnet
