// The planner window's document and its files: New, Open, Save, Save As and the recent plans,
// each over the form model's PlanFiles; the tree starts folded for a plan opened.
#include "ui/planner/planner_files.h"

#include "ui/planner/elided_label.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>

namespace mq::ui {

Planner::Files::Files(Planner& w) : w(w) { }

void Planner::Files::newPlan()
{
    w.expanded.clear();
    w.model->newPlan();
    w.refresh();
}

void Planner::Files::newUlaPlan()
{
    w.expanded.clear();
    w.model->newUlaPlan();
    w.refresh();
}

// Open, a recent plan and a file named elsewhere end alike: the tree starts
// folded, the Allocate panel gets the segments the plan keeps, and a plan
// that does not open leaves the window as it was.
bool Planner::Files::openWith(const std::function<bool()>& open)
{
    const auto before = w.expanded;
    w.expanded.clear();
    const bool ok = open();
    if (!ok)
        w.expanded = before;
    else
        w.segments->setPlainText(QString::fromStdString(w.model->segmentsText()));
    w.refresh();
    return ok;
}

void Planner::Files::open()
{
    openWith([this] { return w.model->open(); });
}

bool Planner::Files::openFile(const std::string& fileName)
{
    if (w.allocationRunning() || !w.model->queryClose())
        return false;
    return openWith([this, &fileName] { return w.model->openFile(fileName); });
}

void Planner::Files::save()
{
    w.model->save();
    w.refresh();
}

void Planner::Files::saveAs()
{
    w.model->saveAs();
    w.refresh();
}

void Planner::Files::fillRecentMenu()
{
    w.recent->clear();
    const std::vector<std::string> list = w.model->recentPlans();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const QString file = QString::fromStdString(list[i]);
        // A '&' of the file name is shown, not taken for the entry's mnemonic.
        QAction* a = w.recent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
            QFileInfo(file).fileName().replace(QLatin1Char('&'), QStringLiteral("&&"))));
        a->setToolTip(plainToolTip(file));
        a->setObjectName(QStringLiteral("recent%1").arg(i));
        QObject::connect(a, &QAction::triggered, &w, [this, i] {
            if (!w.allocationRunning())
                openWith([this, i] { return w.model->openRecent(i); });
        });
    }
    if (list.empty())
        w.recent->addAction(QStringLiteral("(no plan opened yet)"))->setEnabled(false);
}

}  // namespace mq::ui
