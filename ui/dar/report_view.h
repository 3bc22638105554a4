// The address range report on screen. It reads like a rich text box (bold and
// italic head lines, 9-point text, the listing's four tab stops, lines that can
// be selected and copied as text), but it makes the text of a line only when
// the line is painted or copied, and knows no more of the report than its line
// count: four million lines cost nothing to show and scroll to at once.
#pragma once

#include "core/dar_model.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QTextOption>
#include <cstdint>

namespace mq::ui {

class ReportView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReportView(const DarReport& report, QWidget* parent = nullptr);

    // Catches up with the report. A cleared report drops the selection and goes
    // back to the top. True when the lines shown changed.
    bool sync();
    // The report was cleared since the last sync.
    bool cleared() const { return r.generation() != generation; }

    std::int64_t lineCount() const { return shown; }
    QString lineText(std::int64_t line) const;
    // The lines on screen, one a line: what assistive tools read of the report
    // (all of it can be millions of lines).
    QString shownText() const;
    QFont lineFont(std::int64_t line) const;
    int lineHeight() const { return rowHeight; }

    std::int64_t firstVisibleLine() const;
    // Lines that fit the viewport whole.
    int visibleLines() const;
    bool isLineVisible(std::int64_t line) const;
    void scrollToLine(std::int64_t line);  // brought into view
    void scrollToEnd();
    // The line at a viewport position, or -1 below the last line.
    std::int64_t lineAt(const QPoint& pos) const;

    // One stretch of lines from anchor to the current line, as in a text box.
    void selectLines(std::int64_t anchorLine, std::int64_t currentLine);
    void selectAll();
    void clearSelection();
    bool hasSelection() const { return anchor >= 0; }
    std::int64_t selectionStart() const { return std::min(anchor, current); }
    std::int64_t selectionEnd() const { return std::max(anchor, current); }
    // The selected lines, each ending with a line feed.
    QString selectedText() const;
    void copy() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void updateScrollBars();
    void measure();
    void moveCurrent(std::int64_t line, bool extend);
    void announceShown();

    const DarReport& r;
    std::uint64_t generation = 0;
    std::int64_t shown = 0;
    std::int64_t anchor = -1;
    std::int64_t current = -1;
    int rowHeight = 16;
    int contentWidth = 0;
    std::int64_t measuredHead = -1;
    QTextOption tabbed;
    QTextOption plain;
    QString announced;  // the shown text assistive tools were last told of
};

// The report's fonts: 9 point, bold and italic as a line asks.
QFont reportFont(bool bold = false, bool italic = false);

}  // namespace mq::ui
