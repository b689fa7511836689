// What reading the user's presets costs the main thread at start: a full
// store (the most presets it keeps, written as the panel writes them), and
// a file too large to be one, refused before it is read.
#include "presets/PresetFormat.h"
#include "presets/PresetStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString writeStore(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    return path;
}

void loadStore(benchmark::State& state, const QString& path)
{
    PresetStore store(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.load());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The refusal is logged at every load; once is enough to see it.
    QLoggingCategory::setFilterRules(QStringLiteral("quorel.presets.warning=false"));
    QTemporaryDir dir;
    QList<Preset> presets;
    for (int i = 0; i < PresetStore::MaxUserPresets; ++i)
        presets.append({QStringLiteral("A preset with a longish name %1").arg(i),
                        PresetSound{i % 2 == 0, i % 3 == 0, {i % 31 - 15, -(i % 31 - 15), 3, -4, 5}, i % 101, false},
                        false});
    const QByteArray full = PresetFormat::writeStore(presets, presets.last().name);
    const QString fullPath = writeStore(dir, QStringLiteral("full"), full);
    const QString largePath = writeStore(dir, QStringLiteral("large"), full + QByteArray(PresetFormat::MaxFileSize, '#'));
    if (fullPath.isEmpty() || largePath.isEmpty())
        return 1;
    std::printf("a full store: %d presets, %lld bytes\n", PresetStore::MaxUserPresets, static_cast<long long>(full.size()));

    benchmark::RegisterBenchmark("load a full store", loadStore, fullPath)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("refuse a file over 64 KiB", loadStore, largePath)->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
