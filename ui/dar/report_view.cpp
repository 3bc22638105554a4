#include "ui/dar/report_view.h"

#include "ui/platform/accessible_text.h"
#include "ui/platform/geometry.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <string>

namespace mq::ui {

QFont reportFont(bool bold, bool italic)
{
    QFont f;
    // A narrow face, so that the widest address stays inside its tab stops.
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(kDarPointSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

ReportView::ReportView(const DarReport& report, QWidget* parent)
    : QAbstractScrollArea(parent), r(report), generation(report.generation()), shown(report.lineCount())
{
    QList<QTextOption::Tab> tabs;
    for (int t : kDarTabStops)
        tabs.append(QTextOption::Tab(twipsToPixels(t), QTextOption::LeftTab));
    for (QTextOption* o : {&tabbed, &plain}) {
        o->setWrapMode(QTextOption::NoWrap);
        o->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    tabbed.setTabs(tabs);

    rowHeight = QFontMetrics(reportFont(true, true)).height() + 1;
    measure();

    setFont(reportFont());
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    viewport()->setPalette(p);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    updateScrollBars();
    static const bool exposed = [] {
        exposeShownText(ReportView::staticMetaObject.className(), QAccessible::EditableText,
                        [](const QWidget* w) { return static_cast<const ReportView*>(w)->shownText(); });
        return true;
    }();
    (void)exposed;
}

// ---------------------------------------------------------------- lines

QString ReportView::lineText(std::int64_t line) const
{
    return QString::fromStdString(r.line(line));
}

QString ReportView::shownText() const
{
    QString text;
    const std::int64_t first = firstVisibleLine();
    const std::int64_t end = std::min<std::int64_t>(shown, first + visibleLines() + 1);
    for (std::int64_t i = first; i < end; ++i) {
        if (i > first)
            text += QLatin1Char('\n');
        text += lineText(i);
    }
    return text;
}

void ReportView::announceShown()
{
    if (!QAccessible::isActive())
        return;  // the lines are made only for someone who listens
    const QString now = shownText();
    announceTextChange(this, announced, now);
    announced = now;
}

QFont ReportView::lineFont(std::int64_t line) const
{
    const auto f = r.format(line);
    return reportFont(f.bold, f.italic);
}

void ReportView::measure()
{
    const QFontMetrics bold(reportFont(true, true));
    // The last column starts at the last tab stop and holds one address.
    contentWidth = twipsToPixels(kDarTabStops.back()) + bold.horizontalAdvance(QStringLiteral("255.255.255.255  "));
    for (std::int64_t i = 0; i < std::min<std::int64_t>(r.headCount(), 17); ++i)
        contentWidth = std::max(contentWidth, bold.horizontalAdvance(lineText(i)) + 8);
    measuredHead = r.headCount();
}

bool ReportView::sync()
{
    if (cleared()) {
        generation = r.generation();
        shown = r.lineCount();
        measure();
        anchor = current = -1;
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
        updateScrollBars();
        viewport()->update();
        announceShown();
        return true;
    }
    if (r.lineCount() == shown)
        return false;
    shown = r.lineCount();
    if (r.headCount() != measuredHead)
        measure();
    if (selectionEnd() >= shown)
        anchor = current = -1;
    updateScrollBars();
    viewport()->update();
    announceShown();
    return true;
}

// ---------------------------------------------------------------- scrolling

int ReportView::visibleLines() const
{
    return std::max(1, viewport()->height() / std::max(1, rowHeight));
}

std::int64_t ReportView::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

bool ReportView::isLineVisible(std::int64_t line) const
{
    const std::int64_t first = firstVisibleLine();
    return line >= first && line < first + visibleLines() && line < shown;
}

void ReportView::updateScrollBars()
{
    QScrollBar* v = verticalScrollBar();
    const std::int64_t maxFirst = std::max<std::int64_t>(0, shown - visibleLines());
    v->setRange(0, static_cast<int>(std::min<std::int64_t>(maxFirst, INT_MAX)));
    v->setPageStep(visibleLines());
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, contentWidth - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, rowHeight));
}

void ReportView::scrollToLine(std::int64_t line)
{
    if (line < 0 || line >= shown)
        return;
    const std::int64_t first = firstVisibleLine();
    if (line < first)
        verticalScrollBar()->setValue(static_cast<int>(line));
    else if (line >= first + visibleLines())
        verticalScrollBar()->setValue(static_cast<int>(line - visibleLines() + 1));
}

void ReportView::scrollToEnd()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ReportView::scrollContentsBy(int, int)
{
    viewport()->update();
    announceShown();
}

void ReportView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    updateScrollBars();
    if (atEnd)
        scrollToEnd();
}

std::int64_t ReportView::lineAt(const QPoint& pos) const
{
    if (pos.y() < 0)
        return std::max<std::int64_t>(0, firstVisibleLine() - 1);
    const std::int64_t line = firstVisibleLine() + pos.y() / std::max(1, rowHeight);
    return line < shown ? line : -1;
}

// ---------------------------------------------------------------- painting

void ReportView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QPalette& pal = viewport()->palette();
    const bool active = hasFocus();
    const QPalette::ColorGroup group = active ? QPalette::Active : QPalette::Inactive;
    const int x = 2 - horizontalScrollBar()->value();
    const int width = std::max(contentWidth, viewport()->width()) + horizontalScrollBar()->value();
    const std::int64_t first = firstVisibleLine();
    const int top = event->rect().top() / rowHeight;
    const int bottom = event->rect().bottom() / rowHeight;
    std::string text;
    for (int row = top; row <= bottom; ++row) {
        const std::int64_t line = first + row;
        if (line >= shown)
            break;
        const QRect rect(0, row * rowHeight, width, rowHeight);
        const bool selected = anchor >= 0 && line >= selectionStart() && line <= selectionEnd();
        if (selected)
            painter.fillRect(rect, pal.brush(group, QPalette::Highlight));
        painter.setPen(pal.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const auto format = r.format(line);
        painter.setFont(reportFont(format.bold, format.italic));
        text.clear();
        r.appendLine(line, text);
        painter.drawText(QRectF(x, rect.top(), width, rowHeight), QString::fromStdString(text),
                         format.tabStops ? tabbed : plain);
    }
}

// ---------------------------------------------------------------- selection

void ReportView::selectLines(std::int64_t anchorLine, std::int64_t currentLine)
{
    if (shown == 0) {
        clearSelection();
        return;
    }
    anchor = std::clamp<std::int64_t>(anchorLine, 0, shown - 1);
    current = std::clamp<std::int64_t>(currentLine, 0, shown - 1);
    viewport()->update();
}

void ReportView::selectAll()
{
    selectLines(0, shown - 1);
}

void ReportView::clearSelection()
{
    anchor = current = -1;
    viewport()->update();
}

QString ReportView::selectedText() const
{
    if (anchor < 0)
        return {};
    std::string out;
    for (std::int64_t line = selectionStart(); line <= selectionEnd(); ++line) {
        r.appendLine(line, out);
        out += '\n';
    }
    return QString::fromStdString(out);
}

void ReportView::copy() const
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void ReportView::moveCurrent(std::int64_t line, bool extend)
{
    if (shown == 0)
        return;
    line = std::clamp<std::int64_t>(line, 0, shown - 1);
    if (!extend || anchor < 0)
        anchor = line;
    current = line;
    scrollToLine(line);
    viewport()->update();
}

void ReportView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const std::int64_t line = lineAt(event->position().toPoint());
    moveCurrent(line < 0 ? shown - 1 : line, event->modifiers() & Qt::ShiftModifier);
}

void ReportView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || anchor < 0)
        return;
    const QPoint pos = event->position().toPoint();
    std::int64_t line = lineAt(pos);
    if (line < 0)
        line = std::min(shown - 1, firstVisibleLine() + visibleLines());  // dragging below: scroll on
    moveCurrent(line, true);
}

void ReportView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const std::int64_t at = current >= 0 ? current : firstVisibleLine();
    switch (event->key()) {
    case Qt::Key_Up: moveCurrent(at - 1, extend); return;
    case Qt::Key_Down: moveCurrent(at + 1, extend); return;
    case Qt::Key_PageUp: moveCurrent(at - visibleLines(), extend); return;
    case Qt::Key_PageDown: moveCurrent(at + visibleLines(), extend); return;
    case Qt::Key_Home:
        if (ctrl)
            moveCurrent(0, extend);
        else
            horizontalScrollBar()->setValue(0);
        return;
    case Qt::Key_End:
        if (ctrl)
            moveCurrent(shown - 1, extend);
        else
            horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
        return;
    default: QAbstractScrollArea::keyPressEvent(event);
    }
}

void ReportView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &ReportView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction* all = menu.addAction(tr("Select &All"), this, &ReportView::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(shown > 0);
    menu.exec(event->globalPos());
}

}  // namespace mq::ui
