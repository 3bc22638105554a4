// The allocation map: the root block's address space as one line wrapped into
// rows, each row a power-of-two part of the root (a prefix, named in the
// margin on the left), each leaf in its colour with its name written once
// where it fits, free space hatched. Zooming doubles the rows (scrolled with
// the bar on the right); only the rows in view are drawn.
#pragma once

#include "planner/map_index.h"

#include <QColor>
#include <QWidget>

class QPainter;
class QScrollBar;

namespace mq::ui {

inline QColor rgbColour(std::uint32_t c)
{
    return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

class AllocationMap : public QWidget {
    Q_OBJECT
public:
    explicit AllocationMap(QWidget* parent = nullptr);

    // The plan drawn; call planChanged after every change of it.
    void setPlan(const plan::Plan* plan);
    void planChanged();
    std::size_t leafCount() const { return index.leafCount(); }
    void setSelected(plan::BlockId id);
    // The root whose space is drawn (a plan may have one of each family).
    void setRoot(plan::BlockId root);
    plan::BlockId shownRoot() const;
    plan::BlockId selected() const { return chosen; }

    // Zoom level 0 shows the whole space; each level doubles the rows.
    int zoom() const { return level; }
    void setZoom(int level);
    void zoomIn() { setZoom(level + 1); }
    void zoomOut() { setZoom(level - 1); }
    static constexpr int kMaxZoom = 24;
    static constexpr int kRowHeight = 26;

    // The leaf drawn at a point of the widget; kNoBlock where there is none.
    plan::BlockId blockAt(const QPoint& pos) const;
    // Where a block starts on screen (its first visible pixel), for tests.
    QPoint pointOf(plan::BlockId id) const;
    void scrollToBlock(plan::BlockId id);
    QScrollBar* scrollBar() const { return bar; }
    // Pixels left of the rows, where each row's prefix is written.
    int margin() const;
    // The prefix that row `row` (from the top of the whole map) covers.
    QString rowText(double row) const;

signals:
    void blockClicked(plan::BlockId id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    int lineWidth() const;  // pixels of one row
    QRect rowBox(int r) const;  // where row r of the view is drawn, from the margin on
    int baseRows() const;  // rows at zoom 0: the most that fit, a power of two
    int rowBits() const;  // log2 of the rows at this zoom
    double lineLength() const;
    double rows() const;
    void updateBar();
    void moveSelection(int step);
    void paintSelection(QPainter& p, int top, int shown) const;  // the chosen block's frame

    const plan::Plan* doc = nullptr;
    planner::MapIndex index;
    plan::BlockId chosen = plan::kNoBlock;
    plan::BlockId rootId = plan::kNoBlock;
    int level = 0;
    QScrollBar* bar;
};

}  // namespace mq::ui
