// The splash window: shown at start while the main window loads, it shows the
// main window on the second tick of its timer and then closes.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QFrame;
class QLabel;
class QTimer;

namespace mq::ui {

class FrmSplash : public QWidget {
    Q_OBJECT
public:
    // `makeMain` creates and loads the main window without showing it. The
    // splash does not own it.
    explicit FrmSplash(std::function<QWidget*()> makeMain, QWidget* parent = nullptr);

    void Form_Load();
    void Timer1_Timer();

    std::int16_t splashtick = 0;
    QTimer* timer() const { return Timer1; }
    QWidget* mainWindow() const { return mainForm; }

private:
    void build();
    std::function<QWidget*()> makeMain;
    QWidget* mainForm = nullptr;
    QFrame* fraMainFrame = nullptr;
    QTimer* Timer1 = nullptr;
    QLabel* Image1 = nullptr;
};

// The program's picture: a quill over the bits of an address.
QPixmap splashPicture(int size);

}  // namespace mq::ui
