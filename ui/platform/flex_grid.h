// A grid over mq::Grid. With one fixed row, row 0 is the heading that stays in
// view; grid rows 1.. are the table's rows. Row, Col, RowSel and ColSel are in
// grid coordinates.
#pragma once

#include "core/controls.h"

#include <QTableWidget>

namespace mq::ui {

class FlexGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit FlexGrid(int fixedRows = 1, QWidget* parent = nullptr);

    // Copies sizes, texts, column widths (twips) and alignments from the grid.
    void showGrid(const Grid& grid);
    // Writes the current selection into grid.row/col/rowSel/colSel.
    void readSelection(Grid& grid) const;
    int fixedRows() const { return fixed; }

signals:
    // A mouse button or a key was released over the grid, its heading included.
    void mouseUp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    int fixed;
};

}  // namespace mq::ui
