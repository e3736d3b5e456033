// Filling the main window's file list from a large folder: listing the names the file type lets
// through, sorting them as the list shows them and making its entries. A folder of 40 000 files
// should take no more than 0.2 s, so that every folder change, save and open stays quick.
#include "mainwindow/UFileListBox.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Numbered runs of a simulation in two spellings, and files of other kinds between them.
void FillFolder(const QString& Folder, int Count) {
    for (int i = 0; i < Count; ++i) {
        const QString name = i % 4 == 3   ? QString("notes-%1.dat").arg(i)
                             : i % 2 == 0 ? QString("run-%1.p3d").arg(i)
                                          : QString("Run-%1.P4D").arg(i);
        QFile(Folder + "/" + name).open(QIODevice::WriteOnly);
    }
}

void BM_FillFileList(benchmark::State& State) {
    QTemporaryDir dir;
    const int count = int(State.range(0));
    FillFolder(dir.path(), count);
    TFileListBox list;
    for (auto _ : State) {
        list.SetFiles(FolderFileNames(dir.path(), {"*.p3d", "*.p4d", "*.txt"}));
        benchmark::DoNotOptimize(list.count());
    }
    State.SetItemsProcessed(State.iterations() * count);
}
BENCHMARK(BM_FillFileList)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

// The listing alone, to tell the file system's share from the list's.
void BM_ListFolder(benchmark::State& State) {
    QTemporaryDir dir;
    FillFolder(dir.path(), int(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(FolderFileNames(dir.path(), {"*.p3d", "*.p4d", "*.txt"}));
}
BENCHMARK(BM_ListFolder)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
