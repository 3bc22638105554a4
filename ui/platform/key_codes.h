// Qt key events as the Windows virtual-key codes and shift state (1 Shift,
// 2 Ctrl, 4 Alt) that the key filters of the MAC converter and the VLSM
// assistant judge released keys by. Keys without a code of their own give 0.
#pragma once

class QKeyEvent;

namespace mq::ui {

int vbKeyCode(const QKeyEvent& event);
int vbShiftState(const QKeyEvent& event);

}  // namespace mq::ui
