#include "ui/platform/qt_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include <algorithm>

namespace mq::ui {

QString displayText(const std::string& text)
{
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QStringList toQtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        if (desc.isEmpty() && patterns.isEmpty())
            continue;
        QString qtPatterns = patterns;
        qtPatterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (desc.contains(QLatin1Char('(')))
            out << QStringLiteral("%1").arg(desc).replace(QRegularExpression(QStringLiteral("\\(.*\\)")),
                                                          QStringLiteral("(%1)").arg(qtPatterns));
        else
            out << QStringLiteral("%1 (%2)").arg(desc, qtPatterns);
    }
    return out;
}

void plainButtons(QWidget* dialog)
{
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        b->setIcon(QIcon());
}

int titleBarWidth(const QString& title)
{
    // The window manager draws the title in its own font, most often bold and
    // larger than the dialog's, between the window icon and three buttons.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    return QFontMetrics(font).horizontalAdvance(title) + 4 * QFontMetrics(font).height() + 48;
}

void QtServices::msgBox(const std::string& text, MsgIcon icon, const std::string& title)
{
    QMessageBox box(win);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(displayText(text));
    box.setTextFormat(Qt::PlainText);
    box.setStandardButtons(QMessageBox::Ok);
    plainButtons(&box);
    box.exec();
}

std::string QtServices::inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText)
{
    QInputDialog dialog(win);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(QString::fromStdString(defaultText));
    (void)dialog.okButtonText();  // makes the buttons, which the dialog otherwise makes when shown
    plainButtons(&dialog);
    const QSize hint = dialog.sizeHint();
    dialog.resize(std::max(hint.width(), titleBarWidth(dialog.windowTitle())), hint.height());
    return dialog.exec() == QDialog::Accepted ? dialog.textValue().toStdString() : std::string();
}

QWidget* nextInTabOrder(QWidget* window, QWidget* from)
{
    if (!window)
        return nullptr;
    QWidget* start = from && window->isAncestorOf(from) ? from : window;
    for (QWidget* w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
        if (w != window && !window->isAncestorOf(w))
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(window) && !w->focusProxy())
            return w;
    }
    return nullptr;
}

void QtServices::sendTab()
{
    if (QWidget* next = nextInTabOrder(win, QApplication::focusWidget()))
        next->setFocus(Qt::TabFocusReason);
}

void QtServices::setFocus(const std::string& control)
{
    if (!win)
        return;
    if (auto* w = win->findChild<QWidget*>(QString::fromStdString(control)))
        w->setFocus(Qt::OtherFocusReason);
}

void QtServices::beep()
{
    QApplication::beep();
}

void QtServices::setClipboardText(const std::string& text)
{
    if (QClipboard* cb = QGuiApplication::clipboard())
        cb->setText(QString::fromStdString(text));
}

void QtServices::doEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::optional<std::string> QtServices::saveFileDialog(const std::string& filter)
{
    QFileDialog dialog(win, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = toQtNameFilters(filter);
    // The name is used as the user typed it: no extension is added.
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace mq::ui
