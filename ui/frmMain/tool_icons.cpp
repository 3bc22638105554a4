#include "ui/frmMain/tool_icons.h"

// The resources live in a static library: register them before first use.
static void initToolbarResources()
{
    Q_INIT_RESOURCE(toolbar);
}

namespace mq::ui {

std::vector<QIcon> toolImages()
{
    initToolbarResources();
    std::vector<QIcon> images;
    for (int i = 1; i <= 10; ++i)
        images.emplace_back(QStringLiteral(":/toolbar/%1.png").arg(i));
    return images;
}

QIcon toolImage(const QString& file)
{
    initToolbarResources();
    return QIcon(QStringLiteral(":/toolbar/") + file);
}

}  // namespace mq::ui
