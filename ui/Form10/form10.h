// The class C VLSM assistant window: a four-step wizard over Form10Model.
#pragma once

#include "vlsm/form10_model.h"

#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace mq::ui {

class Panel3D;

class Form10 : public QWidget {
    Q_OBJECT
public:
    // Without services the window uses the real dialogs.
    explicit Form10(QWidget* parent = nullptr, Services* services = nullptr);
    ~Form10() override;

    Form10Model& model() { return *m; }
    // The results list, line by line (empty lines included), for the report.
    const std::vector<std::string>& resultLines() const { return m->List1.items; }

    // Copies the model's fields into the widgets.
    void refresh();

    // Windows key code of a key event (Tab 9, digits 48-57, keypad digits
    // 96-105, ...); -1 for keys that neither type nor edit, such as media keys.
    static int keyCode(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);
    static int shiftState(Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class WindowServices;
    // The widget that is shown and hidden: the window itself, or the
    // sub-window frame it sits in.
    // The constructor's parts, called in the order the controls are created.
    void buildAddressBoxes();
    void buildSegmentBoxes();
    void buildButtons();
    void setFocusOrder();
    QWidget* frameWidget();
    void moveFocusOn();
    void focusControl(const std::string& name);
    void run(void (Form10Model::*handler)());

    std::unique_ptr<Services> ownServices;
    std::unique_ptr<WindowServices> services;
    std::unique_ptr<Form10Model> m;

    QGroupBox* SSFrame1;
    Panel3D* SSPanel1;
    std::array<QLineEdit*, 4> Text1{};
    QComboBox* Combo1;
    std::array<QLineEdit*, 30> Text2{};
    std::array<Panel3D*, 30> SSPanel2{};
    QListWidget* List1;
    Panel3D* SSPanel3;
    QPushButton* SSCommand1;
    QPushButton* SSCommand3;
    QPushButton* SSCommand2;
};

}  // namespace mq::ui
