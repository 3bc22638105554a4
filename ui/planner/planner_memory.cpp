// The planner opens as it was left: its last plan (when the file is still
// there), its size and the positions of its splitters.
#include "ui/planner/planner.h"
#include "ui/platform/remembered.h"

#include <QFileInfo>
#include <QSplitter>

namespace mq::ui {

namespace {

const QString kGroup = QStringLiteral("Planner");
constexpr int kLargest = 100000;  // pixels: more than any screen, less than a damaged value

QString splitterKey(const QSplitter* s)
{
    return QStringLiteral("Splitter_") + s->objectName();
}

}  // namespace

void Planner::recallState()
{
    if (const auto size = recalledNumbers(kGroup, QStringLiteral("Size"), 2, 1, kLargest))
        rememberedSize = QSize(size->at(0), size->at(1));
    for (QSplitter* s : findChildren<QSplitter*>())
        if (const auto sizes = recalledNumbers(kGroup, splitterKey(s), s->count(), 0, kLargest)) {
            s->setSizes(*sizes);
            splitterSizes.emplace_back(s, *sizes);
        }
    if (const auto file = recalled(kGroup, QStringLiteral("Plan")); file && QFileInfo(*file).isFile())
        openPlanFile(file->toStdString());
}

void Planner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Set once more at the size the window opens at: before, the splitters had
    // no size of their own and share out a different one.
    for (const auto& [s, sizes] : splitterSizes)
        s->setSizes(sizes);
    splitterSizes.clear();
}

void Planner::keepState() const
{
    SettingValues values = {{QStringLiteral("Plan"), QString::fromStdString(model->filePath())},
                            {QStringLiteral("Size"), numbersText({width(), height()})}};
    for (const QSplitter* s : findChildren<QSplitter*>())
        values.emplace_back(splitterKey(s), numbersText(s->sizes()));
    remember(kGroup, values);
}

}  // namespace mq::ui
