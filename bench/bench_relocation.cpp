// Relocation of an image database with 1,000,000 ImgInfo rows (and 300 rows in
// each of tAPR and tEc) against mdb-export reading the same table, both as the
// programs a user runs: wall time and peak memory of each process.
//
//   bench_relocation [--rows=N] [--data=FOLDER] [Google Benchmark options]
//
// The database is made once in FOLDER (default: the temporary folder) and
// kept for later runs; every relocation works on a fresh copy of it.
#include "support/Jet4Writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

long g_rows = 1000000;
QString g_data = QDir::tempPath() + QStringLiteral("/kestrel-bench");

struct Sample {
    double seconds = 0;
    double peakMB = 0;
    int status = -1;
};

struct Totals {
    double best = 1e30;
    double peakMB = 0;
    void Add(const Sample& s)
    {
        best = std::min(best, s.seconds);
        peakMB = std::max(peakMB, s.peakMB);
    }
} g_export, g_relocation;

QString Pristine()
{
    return g_data + QStringLiteral("/Kestrel-%1.mdb").arg(g_rows);
}
QString Work()
{
    return g_data + QStringLiteral("/work/Kestrel.mdb");
}

// Columns of the kind the acquisition application keeps per image.
void MakeDatabase()
{
    if (QFileInfo::exists(Pristine()))
        return;
    std::fprintf(stderr, "making %s ...\n", qPrintable(Pristine()));
    QDir().mkpath(g_data);
    using jet4::Type;
    const QString partial = Pristine() + QStringLiteral(".part");
    jet4::Writer w(partial);
    const int apr = w.AddTable("tAPR", {{"ID", Type::Long}, {"APRImagePath", Type::Text}});
    const int ec =
        w.AddTable("tEc", {{"ID", Type::Long}, {"LUT", Type::Text}, {"PAR", Type::Text}});
    const int img = w.AddTable("ImgInfo", {{"ID", Type::Long},
                                           {"SerID", Type::Long},
                                           {"SOPInstanceUID", Type::Text},
                                           {"FullPath", Type::Text},
                                           {"ImageDate", Type::Text},
                                           {"ImageTime", Type::Text},
                                           {"Rows", Type::Long},
                                           {"Columns", Type::Long}});
    for (int i = 0; i < 300; ++i) {
        w.AddRow(apr, {i, QStringLiteral("C:\\Kestrel\\APR\\%1.bmp").arg(i)});
        w.AddRow(ec, {i, QStringLiteral("C:\\Kestrel\\LUT\\%1.lut").arg(i),
                      QStringLiteral("C:\\Kestrel\\PAR\\%1.par").arg(i)});
    }
    for (long i = 0; i < g_rows; ++i) {
        const QString uid = QStringLiteral("1.2.410.200001.1.%1.%2").arg(i / 4).arg(i);
        w.AddRow(img, {int(i), int(i / 4), uid,
                       QStringLiteral("D:\\Images\\2024\\%1\\%2.dcm")
                           .arg(i / 1000 % 100, 2, 10, QLatin1Char('0'))
                           .arg(uid),
                       "20240312", "101500", 3000, 3000});
    }
    w.Finish();
    QFile::rename(partial, Pristine());
}

Sample Run(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    Sample s;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return s;
    }
    int status = 0;
    struct rusage usage {
    };
    wait4(pid, &status, 0, &usage);
    s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    s.peakMB = double(usage.ru_maxrss) / 1024.0;
    s.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return s;
}

void BM_MdbExportImgInfo(benchmark::State& state)
{
    const std::string file = Pristine().toStdString();
    for (auto _ : state) {
        const Sample s = Run({"mdb-export", file, "ImgInfo"});
        if (s.status != 0)
            state.SkipWithError("mdb-export failed");
        state.SetIterationTime(s.seconds);
        g_export.Add(s);
    }
    state.counters["peak_MB"] = g_export.peakMB;
}

void BM_Relocation(benchmark::State& state)
{
    QDir().mkpath(QFileInfo(Work()).path());
    int turn = 0;
    for (auto _ : state) {
        QFile::remove(Work());
        QFile::copy(Pristine(), Work());
        // Other letters each time, so that every run changes every row.
        const std::string argument = ++turn % 2 ? "E:\\;F:" : "G:\\;H:";
        const Sample s =
            Run({KESTREL_SETUP_EXE, "--headless", argument, "--database", Work().toStdString()});
        if (s.status != 0)
            state.SkipWithError("relocation failed");
        state.SetIterationTime(s.seconds);
        g_relocation.Add(s);
    }
    state.counters["peak_MB"] = g_relocation.peakMB;
}

} // namespace

BENCHMARK(BM_MdbExportImgInfo)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Relocation)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (!std::strncmp(argv[i], "--rows=", 7))
            g_rows = std::atol(argv[i] + 7);
        else if (!std::strncmp(argv[i], "--data=", 7))
            g_data = QString::fromLocal8Bit(argv[i] + 7);
        else
            rest.push_back(argv[i]);
    }
    int count = int(rest.size());
    benchmark::Initialize(&count, rest.data());
    MakeDatabase();
    // Both programs read a file the page cache already holds.
    Run({"mdb-export", Pristine().toStdString(), "ImgInfo"});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nImgInfo rows: %ld, file %.1f MB\n", g_rows,
                double(QFileInfo(Pristine()).size()) / 1048576.0);
    std::printf("mdb-export ImgInfo: %.3f s (best of 3), peak memory %.1f MB\n", g_export.best,
                g_export.peakMB);
    std::printf("relocation:         %.3f s (best of 3), peak memory %.1f MB\n", g_relocation.best,
                g_relocation.peakMB);
    std::printf("ratio relocation / mdb-export: %.2f (target: at most 1.5)\n",
                g_relocation.best / g_export.best);
    return 0;
}
