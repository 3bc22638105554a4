// A settings store that cannot be read or written, or holds garbage, must not
// stop the program or bother the user: the main window opens at its own place,
// runs and closes without a word.
#include "tests/ui/platform/window_test_support.h"
#include "ui/frmMain/frm_main.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/platform/geometry.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace mq::test {
namespace {

struct BrokenStore {
    const char* name;
    // Prepares the store inside dir and returns the path handed to the program.
    std::function<QString(const QDir&)> make;
};

QString garbageFile(const QDir& dir)
{
    const QString path = dir.filePath("settings.ini");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        QByteArray bytes("[Settings]\nMainLeft=\xff\xfe\x00=[[[\n\x01\x02MainWidth==\n[", 40);
        for (int i = 0; i < 4096; ++i)
            bytes.append(static_cast<char>(QRandomGenerator::global()->bounded(256)));
        f.write(bytes);
    }
    return path;
}

QString directoryInTheWay(const QDir& dir)
{
    dir.mkpath("settings.ini");
    return dir.filePath("settings.ini");
}

QString fileAsParentFolder(const QDir& dir)
{
    QFile f(dir.filePath("plain-file"));
    if (f.open(QIODevice::WriteOnly))
        f.write("not a folder");
    return dir.filePath("plain-file/Maskquill/settings.ini");
}

class SettingsStoreTrouble : public ::testing::TestWithParam<BrokenStore> {
protected:
    void TearDown() override
    {
        main.reset();
        QApplication::processEvents();
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(QLatin1Char(',')).toStdString();
    }
    QTemporaryDir dir;
    CalculatorState state;
    WindowFakeServices fake;
    std::unique_ptr<ui::FrmMain> main;
};

TEST_P(SettingsStoreTrouble, ProgramStartsRunsAndClosesSilently)
{
    ASSERT_TRUE(dir.isValid());
    ui::QtSettingsStore store(GetParam().make(QDir(dir.path())));
    // Reading back whatever is there gives a text or the default, never a crash.
    (void)store.getSetting("Maskquill", "Settings", "MainLeft", "200");

    main = std::make_unique<ui::FrmMain>(state, store);
    main->setCalculatorServices(&fake);
    main->setCalculatorHook([this](ui::Frmdoc& doc) { fake.setWindow(&doc); });
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    EXPECT_EQ(main->pos(), QPoint(ui::twipsToPixels(200), ui::twipsToPixels(200)));
    EXPECT_EQ(main->size(), QSize(ui::twipsToPixels(9820), ui::twipsToPixels(8500)));

    main->Toolbar1_ButtonClick(3);
    ASSERT_NE(main->subWindow("frmdoc"), nullptr);
    main->close();
    QApplication::processEvents();
    EXPECT_TRUE(fake.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Stores, SettingsStoreTrouble,
                         ::testing::Values(BrokenStore{"Garbage", garbageFile},
                                           BrokenStore{"DirectoryInTheWay", directoryInTheWay},
                                           BrokenStore{"FileAsParentFolder", fileAsParentFolder}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mq::test
