// The About box's logic: the title and version lines, the notices, and the
// System Info button that finds and starts the system-information tool.
#pragma once

#include "core/controls.h"
#include "core/services.h"
#include "ui/frmAbout/system_access.h"

#include <array>
#include <functional>
#include <string>

namespace mq {

struct ProgramVersion {
    int major;
    int minor;
    int revision;
};
ProgramVersion programVersion();

// The notice about how the program may be passed on.
extern const char* const kDistributionNotice;
// The line naming the program's writer.
extern const char* const kWriterLine;

// Desktop system-information programs tried in this order where the platform
// has no registry entry for one.
extern const std::array<const char*, 9> kSysInfoPrograms;

class FrmAboutModel {
public:
    FrmAboutModel(Services& services, SystemAccess& system);

    std::string Caption = "About Maskquill";
    std::string lblTitle;
    std::string lblVersion;
    std::string SSPanel5;  // disclaimer, the splash window's text; set by the window
    std::string SSPanel8;  // distribution notice
    std::string lblDisclaimer;  // writer
    Button cmdOK;
    Button cmdSysInfo;

    // Closes the window; set by the window that shows this model.
    std::function<void()> unload;

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();

private:
    Services& services;
    SystemAccess& system;
    bool startFromRegistry();
    bool startFromPath();
};

}  // namespace mq
