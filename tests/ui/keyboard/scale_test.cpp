// Every window at the screen's scale factor (the test runs at 1 and at 2):
// captions fit their controls and no control sticks out of the one it sits in.
// With MQ_SCREENSHOT_DIR set each window is also saved as a picture.
#include "tests/ui/keyboard/window_catalogue.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace mq::test {
namespace {

QString describe(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// What is cut off or sticks out in `window`, one line each.
QStringList layoutFaults(QWidget* window)
{
    QStringList faults;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QWidget* parent = w->parentWidget();
        if (parent && !w->isWindow() && !parent->rect().contains(w->geometry()) &&
            !parent->inherits("QAbstractScrollArea") && !parent->inherits("QMdiArea") &&
            !parent->objectName().startsWith(QLatin1String("qt_")))
            faults << QStringLiteral("%1 sticks out of %2").arg(describe(w), describe(parent));

        if (auto* l = qobject_cast<QLabel*>(w);
            l && !l->pixmap().isNull() && l->pixmap().devicePixelRatio() < l->devicePixelRatioF())
            faults << QStringLiteral("%1 shows a picture drawn for scale %2, blurred at %3")
                          .arg(describe(w))
                          .arg(l->pixmap().devicePixelRatio())
                          .arg(l->devicePixelRatioF());

        int needed = 0;
        // A push button's size hint asks for a minimum width; what counts is its caption
        // between the frame's edges. A caption that wraps onto two lines is looked at below.
        if (auto* p = qobject_cast<QPushButton*>(w); p && !p->text().isEmpty() && !p->inherits("mq::ui::WrapButton"))
            needed = p->fontMetrics().horizontalAdvance(p->text().remove(QLatin1Char('&'))) + 4;
        else if (auto* b = qobject_cast<QAbstractButton*>(w);
                 b && !b->text().isEmpty() && !qobject_cast<QPushButton*>(w) && !b->inherits("QToolButton"))
            needed = b->sizeHint().width();
        else if (auto* l = qobject_cast<QLabel*>(w);
                 l && !l->text().isEmpty() && !l->wordWrap() && !l->objectName().isEmpty())
            needed = l->sizeHint().width();
        if (needed > w->width() + 1)
            faults << QStringLiteral("%1 \"%2\" needs %3 of %4 pixels")
                          .arg(describe(w), w->property("text").toString())
                          .arg(needed)
                          .arg(w->width());
        if (auto* p = qobject_cast<QPushButton*>(w); p && p->inherits("mq::ui::WrapButton")) {
            const QRect inside = p->rect().adjusted(3, 3, -3, -3);
            const QRect text = p->fontMetrics().boundingRect(inside, Qt::AlignCenter | Qt::TextWordWrap, p->text());
            if (text.height() > inside.height() || text.width() > inside.width())
                faults << QStringLiteral("%1 wraps to %2 x %3 of %4 x %5 pixels")
                              .arg(describe(w))
                              .arg(text.width())
                              .arg(text.height())
                              .arg(inside.width())
                              .arg(inside.height());
        }
        if (auto* l = qobject_cast<QLabel*>(w); l && l->wordWrap() && !l->text().isEmpty() && l->hasHeightForWidth())
            if (const int h = l->heightForWidth(l->width()); h > l->height() + 1)
                faults << QStringLiteral("%1 wraps to %2 of %3 pixels high").arg(describe(w)).arg(h).arg(l->height());
    }
    return faults;
}

class Scale : public ::testing::TestWithParam<std::string> {
protected:
    void TearDown() override
    {
        window.reset();
        QApplication::processEvents();
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(QLatin1Char(',')).toStdString();
    }
    WindowContext ctx;
    std::unique_ptr<QWidget> window;
};

// Puts results on screen where a window has them, so that the long texts show.
void fill(const std::string& name, QWidget* w)
{
    if (name == "frmdoc") {
        auto* doc = static_cast<ui::Frmdoc*>(w);
        doc->octetField(0)->setFocus();
        typeText(doc, QStringLiteral("172.16.5.9"));
        chooseRow(doc->choiceBox(0), QStringLiteral("14"));
        QTest::mouseClick(doc->findChild<QPushButton*>(QStringLiteral("SSCommand1")), Qt::LeftButton);
    } else if (name == "clist") {
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("SSCommand1(1)")), Qt::LeftButton);
    } else if (name == "help") {
        static_cast<ui::HelpWindow*>(w)->showContents();
    } else if (name == "bindec") {
        w->findChild<QLineEdit*>(QStringLiteral("Text4"))->setFocus();
        typeText(w, QStringLiteral("2147483647\r"));
    }
}

TEST_P(Scale, CaptionsFitAndControlsStayInside)
{
    for (const WindowKind& kind : allWindows())
        if (kind.name == GetParam())
            window = kind.make(ctx);
    ASSERT_NE(window, nullptr);
    ctx.services.setWindow(window.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    fill(GetParam(), window.get());
    QApplication::processEvents();

    EXPECT_EQ(layoutFaults(window.get()), QStringList{}) << "scale " << window->devicePixelRatioF();
    const QImage shot = window->grab().toImage();
    EXPECT_EQ(shot.width(), qRound(window->width() * window->devicePixelRatioF()));
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        shot.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromStdString(GetParam()) + ".png"));
}

INSTANTIATE_TEST_SUITE_P(Windows, Scale,
                         ::testing::Values("frmdoc", "dar", "Form10", "bindec", "macconv", "clist", "frmAbout", "help",
                                           "frmMain", "frmSplash", "classless", "planner"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace mq::test
