#include "ui/frmAbout/frmabout_model.h"

#include "core/helpers.h"

namespace mq {

#ifndef MQ_VERSION_MAJOR
#define MQ_VERSION_MAJOR 5
#define MQ_VERSION_MINOR 1
#define MQ_VERSION_PATCH 0
#endif

ProgramVersion programVersion()
{
    return {MQ_VERSION_MAJOR, MQ_VERSION_MINOR, MQ_VERSION_PATCH};
}

const char* const kDistributionNotice =
    "Maskquill may be copied and passed on freely, provided it is passed on whole, unaltered and "
    "free of charge.";
const char* const kWriterLine = "Written by the Maskquill developers for network administrators.";

const std::array<const char*, 9> kSysInfoPrograms = {
    "hardinfo2",  // System Information and Benchmark
    "hardinfo",
    "kinfocenter",  // KDE Info Center
    "gnome-system-monitor",
    "mate-system-monitor",
    "plasma-systemmonitor",
    "ksysguard",
    "xfce4-taskmanager",
    "lxtask",
};

FrmAboutModel::FrmAboutModel(Services& s, SystemAccess& sys) : services(s), system(sys)
{
    lblTitle = kProgramTitle;
    SSPanel8 = kDistributionNotice;
    lblDisclaimer = kWriterLine;
    cmdOK.caption = "OK";
    cmdSysInfo.caption = "&System Info...";
}

void FrmAboutModel::Form_Load()
{
    const ProgramVersion v = programVersion();
    lblVersion =
        "Version " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision);
}

void FrmAboutModel::cmdOK_Click()
{
    if (unload)
        unload();
}

void FrmAboutModel::cmdSysInfo_Click()
{
    StartSysInfo();
}

void FrmAboutModel::StartSysInfo()
{
    const bool started = system.hasRegistry() ? startFromRegistry() : startFromPath();
    if (!started)
        services.msgBox("System Information Is Unavailable At This Time", MsgIcon::None, kProgramTitle);
}

bool FrmAboutModel::startFromRegistry()
{
    std::string path;
    if (GetKeyValue(system, KeyRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path))
        return system.startProgram(path);
    if (GetKeyValue(system, KeyRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path)) {
        path += "\\MSINFO32.EXE";
        if (system.fileExists(path))
            return system.startProgram(path);
    }
    return false;
}

bool FrmAboutModel::startFromPath()
{
    for (const char* name : kSysInfoPrograms)
        if (const auto path = system.findProgram(name); path && system.startProgram(*path))
            return true;
    return false;
}

}  // namespace mq
