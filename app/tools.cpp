#include "app/tools.h"
#include "ui/dar/dar.h"

namespace mq::app {

void registerTools(ui::FrmMain& main, CalculatorState& state)
{
    // Each tool: main.registerTool(<toolbar button>, "<window name>", [&] { return new <Window>(...); });
    // The address range window: opened by each calculator window, hidden (never closed) by its own buttons.
    main.registerWindow("dar", [] { return new ui::Dar; });
    main.setCalculatorHook([&main](ui::Frmdoc& doc) {
        ui::connectAddressRange(doc, [&main] { return qobject_cast<ui::Dar*>(main.showWindow("dar")); });
    });
    (void)main;
    (void)state;
}

}  // namespace mq::app
