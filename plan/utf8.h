#pragma once
// UTF-8 checks shared by names, notes, segment lists and the document reader.
#include "textio/utf8.h"

namespace mq::plan {

using textio::utf8ErrorAt;

}  // namespace mq::plan
