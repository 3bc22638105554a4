// The look of the main window's drop-down menus.
#pragma once

#include <QProxyStyle>

namespace mq::ui {

// Draws a ticked menu entry with a plain check mark and an unticked one with
// nothing, where the widget style would draw a check box on either; the rest
// is the application's style.
class MenuCheckStyle : public QProxyStyle {
public:
    MenuCheckStyle();
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace mq::ui
