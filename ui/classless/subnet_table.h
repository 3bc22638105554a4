// The listing of "Split into /N": a table that paints only the rows in view,
// straight from the listing model, so any row count (up to 2^128) scrolls,
// pages and jumps at once. The scroll bar's int range is mapped by the model.
#pragma once

#include "classless/listing.h"

#include <QAbstractScrollArea>
#include <functional>

namespace mq::ui {

class SubnetTable : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit SubnetTable(classless::SubnetListing& listing, QWidget* parent = nullptr);

    // The listing changed (new split, jump): scroll bar and rows follow.
    void refresh();
    int rowHeight() const;
    int headerHeight() const { return rowHeight() + 2; }
    // The row painted at a viewport y, if any.
    std::optional<classless::u128> rowAt(int y) const;
    // Ctrl+C and Ctrl+A; the window shows the model's message when they refuse.
    void copy();
    void selectAll();
    // Called after anything that may have set the listing's message.
    std::function<void()> onMessage;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    bool event(QEvent* e) override;

private:
    void syncScrollBar();
    void updateAccessibleText();
    std::array<int, classless::kListingColumns> columnWidths() const;

    classless::SubnetListing& model;
    std::array<int, classless::kListingColumns> widths{};
    bool syncing = false;
};

}  // namespace mq::ui
