// Window tests run on the offscreen platform unless a display was chosen.
#include <QApplication>
#include <QPalette>
#include <QStandardPaths>
#include <QStyleFactory>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Maskquill");
    // Screenshots under a dark palette: MQ_TEST_PALETTE=dark.
    if (qgetenv("MQ_TEST_PALETTE") == "dark") {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette p;
        p.setColor(QPalette::Window, QColor(45, 45, 48));
        p.setColor(QPalette::WindowText, QColor(230, 230, 230));
        p.setColor(QPalette::Base, QColor(30, 30, 32));
        p.setColor(QPalette::AlternateBase, QColor(50, 50, 54));
        p.setColor(QPalette::Text, QColor(230, 230, 230));
        p.setColor(QPalette::Button, QColor(55, 55, 60));
        p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        p.setColor(QPalette::Highlight, QColor(42, 130, 218));
        p.setColor(QPalette::HighlightedText, Qt::white);
        p.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(QPalette::Disabled, role, QColor(120, 120, 120));
        QApplication::setPalette(p);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
