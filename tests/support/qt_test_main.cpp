// Window tests run on the offscreen platform unless a display was chosen.
#include <QApplication>
#include <QStandardPaths>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Maskquill");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
