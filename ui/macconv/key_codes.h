// Qt key events as the Windows virtual-key codes and shift state (1 Shift,
// 2 Ctrl, 4 Alt) that the MAC converter judges typed keys by.
#pragma once

class QKeyEvent;

namespace mq::ui {

int vbKeyCode(const QKeyEvent& event);
int vbShiftState(const QKeyEvent& event);

}  // namespace mq::ui
