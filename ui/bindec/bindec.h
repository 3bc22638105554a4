// The binary/decimal/hex converter window: real widgets over BindecModel.
// User events go to the model's handlers; after each handler, and before any
// message box opens, the widgets are refreshed from the model.
#pragma once

#include "convert/bindec_model.h"
#include "ui/platform/choice_buttons.h"

#include <QWidget>
#include <array>
#include <memory>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace mq::ui {

class Panel3D;

class Bindec : public QWidget {
    Q_OBJECT
public:
    // Without services the window uses the real dialogs.
    explicit Bindec(QWidget* parent = nullptr, Services* services = nullptr);
    ~Bindec() override;

    BindecModel& model() { return *m; }
    void refresh();

    QLineEdit* input() const { return Text4; }
    QLineEdit* result(int i) const { return Text1[static_cast<std::size_t>(i)]; }
    QPushButton* keypad(int i) const { return SSCommand2[static_cast<std::size_t>(i)]; }
    OptionButton3D* modeOption(int i) const { return SSOption1[static_cast<std::size_t>(i)]; }
    QPushButton* enterButton() const { return SSCommand3; }
    QPushButton* clearButton() const { return SSCommand1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The constructor's parts, called in the order the controls are created.
    void buildModeOptions();
    void buildInputAndKeys();
    void buildResults();
    // The Tab order and what a screen reader says about each control.
    void describeControls();
    void run(void (BindecModel::*handler)());

    std::unique_ptr<Services> ownServices;
    std::unique_ptr<Services> relay;
    std::unique_ptr<BindecModel> m;

    QGroupBox* SSFrame1;
    std::array<OptionButton3D*, 3> SSOption1{};
    QLineEdit* Text4;
    std::array<QPushButton*, 16> SSCommand2{};
    QPushButton* SSCommand3;
    QPushButton* SSCommand1;
    std::array<QLineEdit*, 3> Text1{};
    std::array<Panel3D*, 3> SSPanel1{};
};

}  // namespace mq::ui
