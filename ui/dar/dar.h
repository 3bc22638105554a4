// The address range window: real widgets over DarModel. The report is shown by
// a view that formats only what is on screen; the buttons go to the model's
// handlers and the widgets are refreshed from the model after each of them and
// every time the listing lets the event loop turn.
#pragma once

#include "core/refreshing_services.h"

#include "core/dar_model.h"
#include "ui/dar/qt_file_writer.h"
#include "ui/dar/report_view.h"
#include "ui/platform/panel3d.h"
#include "ui/platform/qt_services.h"

#include <QMetaObject>
#include <QWidget>
#include <functional>
#include <memory>

class QPushButton;

namespace mq::ui {

class Frmdoc;

class Dar : public QWidget {
    Q_OBJECT
public:
    // With the real dialogs and the atomic file writer.
    explicit Dar(QWidget* parent = nullptr);
    // With services and a file writer of the caller's choosing (tests).
    Dar(Services& services, StreamedFileWriter& writer, QWidget* parent = nullptr);
    ~Dar() override;

    DarModel& model() { return m; }

    // Opened by the calculator's "Display whole address range": shows the
    // window at the top left and resets its buttons and message. The window
    // reads this calculator until another one opens it or `owner` (the
    // calculator's window) is destroyed.
    void openFor(FrmdocModel& calculator, QObject* owner = nullptr);

    // Copies the model's state into the widgets.
    void refresh();

    ReportView* report() const { return RichTextBox1; }
    Panel3D* messagePanel() const { return SSPanel1; }
    QPushButton* startButton() const { return SSCommand1; }
    QPushButton* saveButton() const { return SSCommand2; }
    QPushButton* finishButton() const { return SSCommand3; }

    QSize sizeHint() const override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Dar(std::unique_ptr<QtServices> own, Services* services, StreamedFileWriter* writer, QWidget* parent);
    void build();
    void layoutControls();
    void showFrame();

    std::unique_ptr<QtServices> ownServices;
    QtSaveFileWriter ownWriter;
    RefreshingServices relay;  // refreshes the widgets before anything modal
    DarModel m;
    QMetaObject::Connection ownerGone;

    Panel3D* SSPanel1 = nullptr;
    ReportView* RichTextBox1 = nullptr;
    QPushButton *SSCommand1 = nullptr, *SSCommand2 = nullptr, *SSCommand3 = nullptr;
};

// Makes the calculator window's "Display whole address range" open the address
// range window; `show` brings up the one instance (creating it on first use).
void connectAddressRange(Frmdoc& calculator, std::function<Dar*()> show);

}  // namespace mq::ui
