// The Classless Calculator opens as it was left: the prefix typed last, the
// page on show and the length last split into.
#include "ui/classless/classless_window.h"
#include "ui/platform/remembered.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QTabWidget>

namespace mq::ui {

namespace {
const QString kGroup = QStringLiteral("Classless");
}

void ClasslessWindow::recallState()
{
    if (const auto length = recalledNumber(kGroup, QStringLiteral("SplitLength"), 0, 128)) {
        listedLength = *length;
        splitLength->setText(QString::number(*length));
    }
    // The box's own limit bounds what a damaged store can hand it.
    if (const auto text = recalled(kGroup, QStringLiteral("Input")); text && text->size() <= input->maxLength()) {
        formModel.setInput(text->toStdString());
        followResults();
    }
    if (const auto page = recalledNumber(kGroup, QStringLiteral("Page"), 0, tabs->count() - 1))
        tabs->setCurrentIndex(*page);
}

void ClasslessWindow::keepState() const
{
    const std::optional<int> length = listingModel.shown() ? std::optional(listingModel.newLength()) : listedLength;
    remember(kGroup, {{QStringLiteral("Input"), QString::fromStdString(formModel.input)},
                      {QStringLiteral("Page"), QString::number(tabs->currentIndex())},
                      {QStringLiteral("SplitLength"), length ? QString::number(*length) : QString()}});
}

void ClasslessWindow::closeEvent(QCloseEvent* e)
{
    keepState();
    QWidget::closeEvent(e);
}

}  // namespace mq::ui
