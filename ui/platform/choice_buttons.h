// The check box and the option button of the windows. Each reports a change of
// its state exactly once, however it was made: a mouse click, the space bar, or
// an accessibility tool's Toggle action (which calls toggle() and emits no
// clicked). A state the program shows with showValue() is not reported.
#pragma once

#include <QCheckBox>
#include <QRadioButton>

namespace mq::ui {

class CheckBox3D : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox3D(const QString& caption, QWidget* parent = nullptr);
    void showValue(bool ticked);

signals:
    // 1 when ticked, 0 when not.
    void valueChanged(int value);
};

class OptionButton3D : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton3D(QWidget* parent = nullptr);
    void showValue(bool selected);

signals:
    // This option became the selected one.
    void chosen();
};

}  // namespace mq::ui
