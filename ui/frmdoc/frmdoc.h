// The subnet calculator window: real widgets over FrmdocModel. User events go
// to the model's handlers; after each handler, and before any dialog opens,
// the widgets are refreshed from the model.
#pragma once

#include "core/refreshing_services.h"

#include "core/frmdoc_model.h"
#include "ui/platform/choice_buttons.h"
#include "ui/platform/flex_grid.h"
#include "ui/platform/panel3d.h"
#include "ui/platform/qt_services.h"
#include "ui/platform/rich_text_view.h"

#include <QClipboard>
#include <QWidget>
#include <array>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mq::ui {

class Frmdoc : public QWidget {
    Q_OBJECT
public:
    // With the real dialogs, focus moves and clipboard.
    explicit Frmdoc(CalculatorState& state, QWidget* parent = nullptr);
    // With services of the caller's choosing (tests pass a scripted fake).
    Frmdoc(CalculatorState& state, Services& services, QWidget* parent = nullptr);
    ~Frmdoc() override;

    FrmdocModel& model() { return m; }
    // Copies every control's state from the model into its widget.
    void refresh();

    QLineEdit* octetField(int i) const { return Text3[static_cast<std::size_t>(i)]; }
    QComboBox* choiceBox(int i) const { return Combo1[static_cast<std::size_t>(i)]; }
    Panel3D* resultPanel(int i) const { return SSPanel6[static_cast<std::size_t>(i)]; }
    Panel3D* statusPanel() const { return SSPanel1; }
    QLineEdit* classBox() const { return Text1; }
    QLineEdit* subnetNumberBox() const { return Text2; }
    CheckBox3D* subnetZeroBox() const { return SSCheck1; }
    RichTextView* addressBinary() const { return RichTextBox1; }
    RichTextView* maskBinary() const { return RichTextBox2; }
    FlexGrid* grid() const { return MSFlexGrid1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Frmdoc(CalculatorState& state, std::unique_ptr<QtServices> own, Services* external, QWidget* parent);
    void build();
    // Its frames, in the order their controls are created.
    void buildAddressFrame();
    void buildOptionsFrame();
    void buildChoiceFrame();
    void buildResultsFrame();
    void buildRangeFrame();
    void wire();
    void setTabOrder();
    bool octetKey(int i, QKeyEvent* event);
    bool choiceKey(int i, QKeyEvent* event);
    // Ctrl+V, the context menu's Paste and a middle click (the X selection)
    // all paste through here, so the same checks apply.
    void pasteIntoOctet(int i, QClipboard::Mode mode = QClipboard::Clipboard);

    std::unique_ptr<QtServices> ownServices;
    RefreshingServices relay;  // refreshes the widgets before anything modal
    FrmdocModel m;

    QGroupBox *SSFrame1 = nullptr, *SSFrame2 = nullptr, *SSFrame3 = nullptr, *SSFrame4 = nullptr, *SSFrame5 = nullptr;
    QLabel *Label1 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    std::array<QLabel*, 4> Label5{};
    std::array<QLineEdit*, 4> Text3{};
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    RichTextView* RichTextBox1 = nullptr;
    RichTextView* RichTextBox2 = nullptr;
    std::array<Panel3D*, 3> SSPanel2{};
    Panel3D* SSPanel13 = nullptr;
    std::array<Panel3D*, 7> SSPanel5{};
    std::array<Panel3D*, 7> SSPanel6{};
    Panel3D* SSPanel1 = nullptr;
    CheckBox3D* SSCheck1 = nullptr;
    std::array<QComboBox*, 4> Combo1{};
    QPushButton *SSCommand1 = nullptr, *SSCommand2 = nullptr, *SSCommand3 = nullptr, *SSCommand4 = nullptr,
                *SSCommand5 = nullptr, *SSCommand6 = nullptr;
    FlexGrid* MSFlexGrid1 = nullptr;
};

}  // namespace mq::ui
