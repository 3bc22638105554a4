// Every window of the program, made the way the tests need it: scripted
// services, no real dialogs, no settings or files of the user's touched.
#pragma once

#include "core/calculator_state.h"
#include "tests/ui/frmAbout/fake_system.h"
#include "tests/ui/platform/window_test_support.h"
#include "ui/Form10/form10.h"
#include "ui/bindec/bindec.h"
#include "ui/classless/classless_window.h"
#include "ui/clist/clist.h"
#include "ui/dar/dar.h"
#include "ui/dar/qt_file_writer.h"
#include "ui/frmAbout/frmabout.h"
#include "ui/frmMain/frm_main.h"
#include "ui/frmSplash/frm_splash.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/help/help_window.h"
#include "ui/macconv/macconv.h"
#include "ui/planner/planner.h"
#include "ui/platform/settings_store.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mq::test {

// What the windows lean on while they are open.
struct WindowContext {
    WindowContext() : settings(std::make_unique<ui::QtSettingsStore>(dir.filePath(QStringLiteral("settings.ini"))))
    {
        state.subnetZero = "n";
        state.keepResults = "n";
    }
    QTemporaryDir dir;
    CalculatorState state;
    WindowFakeServices services;
    ui::QtSaveFileWriter writer;
    FakeSystem system;
    std::unique_ptr<ui::QtSettingsStore> settings;
};

struct WindowKind {
    std::string name;
    std::function<std::unique_ptr<QWidget>(WindowContext&)> make;
};

inline std::vector<WindowKind> allWindows()
{
    return {
        {"frmdoc", [](WindowContext& c) { return std::make_unique<ui::Frmdoc>(c.state, c.services); }},
        {"dar", [](WindowContext& c) { return std::make_unique<ui::Dar>(c.services, c.writer); }},
        {"Form10", [](WindowContext& c) { return std::make_unique<ui::Form10>(nullptr, &c.services); }},
        {"bindec", [](WindowContext& c) { return std::make_unique<ui::Bindec>(nullptr, &c.services); }},
        {"macconv", [](WindowContext& c) { return std::make_unique<ui::Macconv>(nullptr, &c.services); }},
        {"clist", [](WindowContext& c) { return std::make_unique<ui::Clist>(nullptr, &c.services); }},
        {"frmAbout", [](WindowContext& c) { return std::make_unique<ui::FrmAbout>(nullptr, &c.services, &c.system); }},
        {"help",
         [](WindowContext&) {
             return std::make_unique<ui::HelpWindow>(nullptr, QStringList{QStringLiteral(MQ_HELP_SOURCE_DIR)});
         }},
        {"frmMain",
         [](WindowContext& c) {
             auto w = std::make_unique<ui::FrmMain>(c.state, *c.settings);
             w->setCalculatorServices(&c.services);
             return w;
         }},
        {"frmSplash", [](WindowContext&) { return std::make_unique<ui::FrmSplash>([] { return nullptr; }); }},
        {"classless", [](WindowContext&) { return std::make_unique<ui::ClasslessWindow>(); }},
        {"planner", [](WindowContext&) { return std::make_unique<ui::Planner>(); }},
    };
}

}  // namespace mq::test
