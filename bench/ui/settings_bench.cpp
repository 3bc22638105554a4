// Closing the main window with a large settings store (5 MB of other entries):
// the four geometry keys written one key at a time, each a full read and
// rewrite of the store, against the one write the main window makes.
#include "ui/platform/settings_store.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString kApp = QStringLiteral("Maskquill");
const QString kSection = QStringLiteral("Settings");

const mq::ui::SettingValues& geometry()
{
    static const mq::ui::SettingValues values = {{QStringLiteral("MainLeft"), QStringLiteral("200")},
                                                 {QStringLiteral("MainTop"), QStringLiteral("200")},
                                                 {QStringLiteral("MainWidth"), QStringLiteral("9820")},
                                                 {QStringLiteral("MainHeight"), QStringLiteral("8500")}};
    return values;
}

// An INI store of about 5 MB: 50,000 entries of 100 characters.
QString largeStore(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    QSettings s(path, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("Other"));
    const QString filler(100, QLatin1Char('x'));
    for (int i = 0; i < 50000; ++i)
        s.setValue(QStringLiteral("key%1").arg(i), filler);
    s.endGroup();
    s.sync();
    return path;
}

void BM_GeometryKeyByKey(benchmark::State& state)
{
    QTemporaryDir dir;
    mq::ui::QtSettingsStore store(largeStore(dir));
    for (auto _ : state)
        for (const auto& [key, value] : geometry())
            store.saveSetting(kApp, kSection, key, value);
}
BENCHMARK(BM_GeometryKeyByKey)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GeometryInOneWrite(benchmark::State& state)
{
    QTemporaryDir dir;
    mq::ui::QtSettingsStore store(largeStore(dir));
    for (auto _ : state)
        store.saveSettings(kApp, kSection, geometry());
}
BENCHMARK(BM_GeometryInOneWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
