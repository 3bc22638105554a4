// Showing and hiding a window whether it runs as a child of the main window
// or on its own.
#pragma once

class QWidget;

namespace mq::ui {

// Hides the window that holds w (its child-window frame, if it has one) and
// keeps it, with its state, for the next show.
void hideWindow(QWidget* w);

}  // namespace mq::ui
