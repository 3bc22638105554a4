#include "app/tools.h"

namespace mq::app {

void registerTools(ui::FrmMain& main, CalculatorState& state)
{
    // Each tool: main.registerTool(<toolbar button>, "<window name>", [&] { return new <Window>(...); });
    // The address range window: main.setCalculatorHook([&](ui::Frmdoc& doc) { ... });
    (void)main;
    (void)state;
}

}  // namespace mq::app
