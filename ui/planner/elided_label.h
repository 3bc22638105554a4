// A one-line message that never widens its window: what does not fit ends in
// "...", and the whole text stays the label's text (so a screen reader reads
// it all) and its tool tip.
#pragma once

#include <QLabel>

namespace mq::ui {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    void setText(const QString& text);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A tool tip that shows the text as it is: Qt reads a tool tip that looks like markup as
// rich text, and a block named "<b>lab</b>" or "<img src=...>" would be obeyed, not shown.
QString plainToolTip(const QString& text);

}  // namespace mq::ui
