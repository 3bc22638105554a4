#include "ui/platform/choice_buttons.h"

#include <QSignalBlocker>

namespace mq::ui {

CheckBox3D::CheckBox3D(const QString& caption, QWidget* parent) : QCheckBox(caption, parent)
{
    connect(this, &QAbstractButton::toggled, this, [this](bool on) { emit valueChanged(on ? 1 : 0); });
}

void CheckBox3D::showValue(bool ticked)
{
    const QSignalBlocker quiet(this);
    setChecked(ticked);
}

OptionButton3D::OptionButton3D(QWidget* parent) : QRadioButton(parent)
{
    // Selecting one option turns another off: only the one turned on reports.
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (on)
            emit chosen();
    });
}

void OptionButton3D::showValue(bool selected)
{
    // The option it turns off is told nothing either.
    const QSignalBlocker quiet(this);
    setChecked(selected);
}

}  // namespace mq::ui
