#include "ui/platform/texts.h"

namespace mq::ui {

QString disclaimerText()
{
    return QStringLiteral("Maskquill is provided as is, without warranty of any kind. Check every address plan it "
                          "produces against your own network before you put it into service: the authors accept no "
                          "liability for outages, lost data or other damage that follow from its use.");
}

}  // namespace mq::ui
