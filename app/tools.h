// Where each tool window joins the main window.
#pragma once

#include "core/calculator_state.h"
#include "ui/frmMain/frm_main.h"

namespace mq::app {

// Registers every tool window and the Save, Print and Help handlers with the
// main window. One line per window.
void registerTools(ui::FrmMain& main, CalculatorState& state);
// Gives Maskquill's own windows and file dialogs the program's settings store.
void rememberWindows(ui::FrmMain& main);

}  // namespace mq::app
