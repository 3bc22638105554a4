// The ten 16 x 16 toolbar images, drawn for this program.
#pragma once

#include <QPixmap>
#include <vector>

namespace mq::ui {

// Images 1..10 at index 0..9: exit, calculator window, binary calculator, MAC
// converter, VLSM, common lists, save, print, about, help.
std::vector<QPixmap> toolImages();

}  // namespace mq::ui
