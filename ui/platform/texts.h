// Texts that more than one window shows.
#pragma once

#include <QString>

namespace mq::ui {

// The disclaimer of the splash window and the About box.
QString disclaimerText();

}  // namespace mq::ui
