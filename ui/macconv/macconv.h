// The MAC converter window: real widgets over MacconvModel. Key and focus
// events of the two address boxes go to the model's handlers; after each
// handler, and before any message box opens, the widgets are refreshed.
#pragma once

#include "convert/macconv_model.h"

#include <QWidget>
#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mq::ui {

class Macconv : public QWidget {
    Q_OBJECT
public:
    // Without services the window uses the real dialogs.
    explicit Macconv(QWidget* parent = nullptr, Services* services = nullptr);
    ~Macconv() override;

    MacconvModel& model() { return *m; }
    void refresh();

    QLineEdit* upperBox() const { return Text1; }
    QLineEdit* lowerBox() const { return Text2; }
    QPushButton* canonicalButton() const { return SSCommand4; }
    QPushButton* nonCanonicalButton() const { return SSCommand5; }
    QPushButton* keypad(int i) const { return SSCommand3[static_cast<std::size_t>(i)]; }
    QPushButton* convertButton() const { return SSCommand1; }
    QPushButton* doneButton() const { return SSCommand2; }
    QPushButton* clearButton() const { return SSCommand6; }
    QPushButton* backButton() const { return SSCommand7; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The constructor's parts, called in the order the controls are created.
    void buildAddressRows();
    void buildKeys();
    // The Tab order and what a screen reader says about each control.
    void describeControls();
    QPushButton* button(const char* name, int left, int top, int width, void (MacconvModel::*handler)());
    bool boxKeyPress(QLineEdit* box, QKeyEvent* key);
    void hideTool();

    std::unique_ptr<Services> ownServices;
    std::unique_ptr<Services> relay;
    std::unique_ptr<MacconvModel> m;

    QLineEdit* Text1;
    QLabel* Label1;
    QLineEdit* Text2;
    QLabel* Label2;
    QPushButton* SSCommand4;
    QPushButton* SSCommand5;
    std::array<QPushButton*, 16> SSCommand3{};
    QPushButton* SSCommand7;
    QPushButton* SSCommand6;
    QPushButton* SSCommand1;
    QPushButton* SSCommand2;
};

}  // namespace mq::ui
