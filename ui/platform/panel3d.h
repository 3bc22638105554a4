// A 3-D panel: a caption on a raised or inset bevel.
#pragma once

#include "core/helpers.h"

#include <QLabel>
#include <string>

namespace mq::ui {

class Panel3D : public QLabel {
    Q_OBJECT
public:
    enum class Bevel { Raised, Inset };
    explicit Panel3D(Bevel bevel = Bevel::Raised, QWidget* parent = nullptr);

    void setCaption(const std::string& caption);
    std::string caption() const { return text().toStdString(); }
    void setForeColor(Colour c);
    void setBackColor(Colour c);
};

}  // namespace mq::ui
