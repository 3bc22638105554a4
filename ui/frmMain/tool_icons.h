// The ten toolbar images, drawn for this program and kept as resources
// (16 x 16, with 32 x 32 versions for high-density screens).
#pragma once

#include <QIcon>
#include <vector>

namespace mq::ui {

// Images 1..10 at index 0..9: exit, calculator window, binary calculator, MAC
// converter, VLSM, common lists, save, print, about, help.
std::vector<QIcon> toolImages();
// The image of a tool behind the last separator ("planner.png").
QIcon toolImage(const QString& file);

}  // namespace mq::ui
