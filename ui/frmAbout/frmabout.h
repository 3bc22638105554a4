// The About box: program name, version, notices, OK and System Info.
#pragma once

#include "ui/frmAbout/frmabout_model.h"

#include <QDialog>
#include <QPixmap>
#include <memory>

class QLabel;
class QPushButton;
class QFrame;

namespace mq::ui {

class Panel3D;

class FrmAbout : public QDialog {
    Q_OBJECT
public:
    // Modeless; OK destroys it. Without services or system access the window
    // uses the real ones.
    explicit FrmAbout(QWidget* parent = nullptr, Services* services = nullptr, SystemAccess* system = nullptr);
    ~FrmAbout() override;

    FrmAboutModel& model() { return *m; }

    // The program's icon and picture, as the About box and splash show them.
    static QPixmap programIcon(int size);
    static QPixmap programPicture(QSize size);

    // Escape ends the About box as OK does: it is destroyed, not just hidden.
    void done(int result) override;

protected:
    // The first show centres the window over the main window.
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void centreOverOwner();

    std::unique_ptr<Services> ownServices;
    std::unique_ptr<SystemAccess> ownSystem;
    std::unique_ptr<FrmAboutModel> m;

    QLabel* picIcon;
    QLabel* Image1;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QFrame* Line1[2];
    Panel3D* SSPanel5;
    Panel3D* SSPanel8;
    QLabel* lblDisclaimer;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;
    bool placed = false;
};

}  // namespace mq::ui
