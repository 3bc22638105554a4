// The picture of one block's addresses in the subnet panel: a cell per address for a block
// of at most 256, else a bar from the network address to the last; the network, gateway,
// kept addresses, hosts, DHCP ranges and free space each in a colour of its own, a legend
// and the counts under it. Its accessible description says the counts in words.
#pragma once

#include "planner/subnet_form.h"

#include <QWidget>

namespace mq::ui {

class SubnetPicture : public QWidget {
    Q_OBJECT
public:
    SubnetPicture(const planner::SubnetForm& form, QWidget* parent = nullptr);
    void setFamily(net::Family f);
    net::Family family() const { return fam; }
    // After a change of the plan or the block shown.
    void refresh();
    // The colour each kind is painted in, readable on the palette's window colour (free
    // space takes the palette's base colour).
    static QColor colourOf(planner::AddressKind kind, const QPalette& palette);
    // Cells a row for a small block; 0: the block is drawn as a bar.
    int gridColumns() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QRect drawing() const;  // where the cells or the bar go

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintGrid(QPainter& painter, const std::vector<planner::AddressMark>& marks, const QRect& area);
    void paintBar(QPainter& painter, const std::vector<planner::AddressMark>& marks, const QRect& area);
    void paintLegend(QPainter& painter, int top);

    const planner::SubnetForm& form;
    net::Family fam = net::Family::V4;
};

}  // namespace mq::ui
