#include "ui/platform/panel3d.h"

#include "ui/platform/accessible_text.h"
#include "ui/platform/geometry.h"

namespace mq::ui {

Panel3D::Panel3D(Bevel bevel, QWidget* parent) : QLabel(parent)
{
    // A panel's accessible name is its label; what it shows is its text.
    static const bool exposed = [] {
        exposeShownText(Panel3D::staticMetaObject.className(), QAccessible::StaticText,
                        [](const QWidget* w) { return static_cast<const Panel3D*>(w)->text(); });
        return true;
    }();
    (void)exposed;
    setFrameShape(QFrame::Panel);
    setFrameShadow(bevel == Bevel::Raised ? QFrame::Raised : QFrame::Sunken);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    setBackColor(colour::LightGrey);
}

void Panel3D::setCaption(const std::string& caption)
{
    const QString t = QString::fromStdString(caption);
    if (t == text())
        return;
    const QString before = text();
    setText(t);
    announceTextChange(this, before, t);
}

void Panel3D::setForeColor(Colour c)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, toQColor(c));
    setPalette(p);
}

void Panel3D::setBackColor(Colour c)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(c));
    setPalette(p);
}

}  // namespace mq::ui
