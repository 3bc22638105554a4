// Maskquill's application icon, painted in code so that the running program
// (its window icon) and the installed icon files are the same picture.
//
// The picture: a card with the four octets of an address as bars, network bits
// red, subnet bits blue and host bits olive as the calculator colours them, and
// from 32 x 32 up a quill across them.
#pragma once

#include <QIcon>
#include <QImage>
#include <vector>

namespace mq::app {

// The sizes the icon is installed at (share/icons/hicolor/<n>x<n>/apps).
const std::vector<int>& appIconSizes();

// The icon painted at size x size pixels, transparent outside the card.
// Needs no QGuiApplication.
QImage appIconImage(int size);

// Every installed size in one icon, for QApplication::setWindowIcon.
// Needs a QGuiApplication.
QIcon appIcon();

}  // namespace mq::app
