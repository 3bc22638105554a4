// The Common Lists window: three reference lists in a two-column grid and an
// exact-match search over them.
#pragma once

#include "reference/clist_model.h"

#include <QPushButton>
#include <QWidget>
#include <array>
#include <memory>

class QLabel;
class QLineEdit;

namespace mq::ui {

class FlexGrid;
class Panel3D;

// A push button whose caption wraps onto a second line when it is too long.
class WrapButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class Clist : public QWidget {
    Q_OBJECT
public:
    // Without services the window uses the real dialogs.
    explicit Clist(QWidget* parent = nullptr, Services* services = nullptr);
    ~Clist() override;

    ClistModel& model() { return *m; }

private:
    // The constructor's parts, called in the order the controls are created.
    void buildListButtons();
    void buildSearchRow();
    void buildFoundPanels();
    void refresh();

    std::unique_ptr<Services> ownServices;
    std::unique_ptr<ClistModel> m;

    std::array<WrapButton*, 3> SSCommand1{};
    QPushButton* SSCommand2;
    QLineEdit* Text1;
    FlexGrid* MSFlexGrid1;
    std::array<Panel3D*, 2> SSPanel1{};
    QLabel* Label1;
};

}  // namespace mq::ui
