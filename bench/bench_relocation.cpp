// Relocation of an image database against mdb-export reading the same table,
// both as the programs a user runs: wall time and peak memory of each
// process (the child's maximum resident set). ImgInfo has an index on
// FullPath and a memo column that is NULL in most rows, so the relocation
// moves rows and writes the index anew; tAPR and tEc have 300 rows each.
// Each size of ImgInfo is measured in the same run, to show how time and
// memory grow with the rows.
//
//   bench_relocation [--rows=N[,N...]] [--data=FOLDER] [--check]
//                    [Google Benchmark options]
//
// Default sizes: 100000,300000,1000000. The databases are made once in FOLDER
// (default: the temporary folder) and kept for later runs; every relocation
// works on a fresh copy. --check runs the libmdb-based index checker on the
// last relocated copy of each size, after all measurements.
//
// A child's peak memory includes what this process held when it started the
// child, so the databases are made, and the checks run, in processes of
// their own (this program again, with --make=N or --check-file=FILE).
#include "support/Jet4Writer.h"
#include "support/MdbIndexCheck.h"

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
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

std::vector<long> g_sizes = {100000, 300000, 1000000};
QString g_data = QDir::tempPath() + QStringLiteral("/kestrel-bench");
bool g_check = false;

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
};
std::map<long, Totals> g_export, g_relocation;

QString Pristine(long rows)
{
    return g_data + QStringLiteral("/Kestrel-indexed-%1.mdb").arg(rows);
}
QString Work()
{
    return g_data + QStringLiteral("/work/Kestrel.mdb");
}
QString Relocated(long rows)
{
    return g_data + QStringLiteral("/work/Relocated-%1.mdb").arg(rows);
}
std::string g_self;

// Columns of the kind the acquisition application keeps per image.
void MakeDatabase(long rows)
{
    if (QFileInfo::exists(Pristine(rows)))
        return;
    std::fprintf(stderr, "making %s ...\n", qPrintable(Pristine(rows)));
    QDir().mkpath(g_data);
    using jet4::Type;
    const QString partial = Pristine(rows) + QStringLiteral(".part");
    jet4::Writer w(partial);
    const int apr = w.AddTable("tAPR", {{"ID", Type::Long}, {"APRImagePath", Type::Text}});
    const int ec =
        w.AddTable("tEc", {{"ID", Type::Long}, {"LUT", Type::Text}, {"PAR", Type::Text}});
    jet4::Column fullPath{"FullPath", Type::Text};
    fullPath.indexed = true;
    const int img = w.AddTable("ImgInfo", {{"ID", Type::Long},
                                           {"SerID", Type::Long},
                                           {"SOPInstanceUID", Type::Text},
                                           fullPath,
                                           {"ImageDate", Type::Text},
                                           {"ImageTime", Type::Text},
                                           {"Rows", Type::Long},
                                           {"Columns", Type::Long},
                                           {"Comment", Type::Memo}});
    for (int i = 0; i < 300; ++i) {
        w.AddRow(apr, {i, QStringLiteral("C:\\Kestrel\\APR\\%1.bmp").arg(i)});
        w.AddRow(ec, {i, QStringLiteral("C:\\Kestrel\\LUT\\%1.lut").arg(i),
                      QStringLiteral("C:\\Kestrel\\PAR\\%1.par").arg(i)});
    }
    for (long i = 0; i < rows; ++i) {
        const QString uid = QStringLiteral("1.2.410.200001.1.%1.%2").arg(i / 4).arg(i);
        w.AddRow(img, {int(i), int(i / 4), uid,
                       QStringLiteral("D:\\Images\\2024\\%1\\%2.dcm")
                           .arg(i / 1000 % 100, 2, 10, QLatin1Char('0'))
                           .arg(uid),
                       "20240312", "101500", 3000, 3000,
                       i % 10 ? jet4::Value() : jet4::Value("retake")});
    }
    w.Finish();
    QFile::rename(partial, Pristine(rows));
}

Sample Run(const std::vector<std::string>& args, bool quiet = true)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet)
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

void MdbExportImgInfo(benchmark::State& state, long rows)
{
    const std::string file = Pristine(rows).toStdString();
    // Both programs read a file the page cache already holds.
    Run({"mdb-export", file, "ImgInfo"});
    for (auto _ : state) {
        const Sample s = Run({"mdb-export", file, "ImgInfo"});
        if (s.status != 0)
            state.SkipWithError("mdb-export failed");
        state.SetIterationTime(s.seconds);
        g_export[rows].Add(s);
    }
    state.counters["peak_MB"] = g_export[rows].peakMB;
}

void Relocation(benchmark::State& state, long rows)
{
    QDir().mkpath(QFileInfo(Work()).path());
    int turn = 0;
    for (auto _ : state) {
        QFile::remove(Work());
        QFile::copy(Pristine(rows), Work());
        // Other letters each time, so that every run changes every row.
        const std::string argument = ++turn % 2 ? "E:\\;F:" : "G:\\;H:";
        const Sample s =
            Run({KESTREL_SETUP_EXE, "--headless", argument, "--database", Work().toStdString()});
        if (s.status != 0)
            state.SkipWithError("relocation failed");
        state.SetIterationTime(s.seconds);
        g_relocation[rows].Add(s);
    }
    state.counters["peak_MB"] = g_relocation[rows].peakMB;
    QFile::remove(Relocated(rows));
    QFile::rename(Work(), Relocated(rows));
}

int CheckFile(const QString& file)
{
    const auto results = mdbcheck::CheckFile(file);
    std::printf("index check of %s: %s\n%s", qPrintable(file),
                mdbcheck::AllOk(results) ? "consistent" : "INCONSISTENT",
                qPrintable(mdbcheck::Describe(results)));
    return mdbcheck::AllOk(results) ? 0 : 1;
}

void Report()
{
    std::printf("\n%10s %9s %12s %12s %7s %13s %13s\n", "rows", "file MB", "export s", "relocate s",
                "ratio", "export MB", "relocate MB");
    for (const long rows : g_sizes) {
        const Totals& e = g_export[rows];
        const Totals& r = g_relocation[rows];
        if (e.peakMB == 0 || r.peakMB == 0) {
            std::printf("%10ld  (not measured)\n", rows);
            continue;
        }
        std::printf("%10ld %9.1f %12.3f %12.3f %7.2f %13.1f %13.1f\n", rows,
                    double(QFileInfo(Pristine(rows)).size()) / 1048576.0, e.best, r.best,
                    r.best / e.best, e.peakMB, r.peakMB);
    }
    std::printf("(best of 3 each; targets: ratio at most 3, relocation under 256 MB at "
                "1,000,000 rows)\n");
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    g_self = argv[0];
    for (int i = 0; i < argc; ++i) {
        if (!std::strncmp(argv[i], "--make=", 7)) {
            MakeDatabase(std::atol(argv[i] + 7));
            return 0;
        } else if (!std::strncmp(argv[i], "--check-file=", 13)) {
            return CheckFile(QString::fromLocal8Bit(argv[i] + 13));
        } else if (!std::strncmp(argv[i], "--rows=", 7)) {
            g_sizes.clear();
            for (const QString& n : QString::fromLatin1(argv[i] + 7).split(u','))
                g_sizes.push_back(n.toLong());
        } else if (!std::strncmp(argv[i], "--data=", 7)) {
            g_data = QString::fromLocal8Bit(argv[i] + 7);
        } else if (!std::strcmp(argv[i], "--check")) {
            g_check = true;
        } else {
            rest.push_back(argv[i]);
        }
    }
    int count = int(rest.size());
    benchmark::Initialize(&count, rest.data());
    for (const long rows : g_sizes) {
        if (!QFileInfo::exists(Pristine(rows)))
            Run({g_self, "--data=" + g_data.toStdString(), "--make=" + std::to_string(rows)});
        const std::string n = std::to_string(rows);
        benchmark::RegisterBenchmark(("MdbExportImgInfo/" + n).c_str(), MdbExportImgInfo, rows)
            ->UseManualTime()
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Relocation/" + n).c_str(), Relocation, rows)
            ->UseManualTime()
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Report();
    std::fflush(stdout);
    for (const long rows : g_sizes) {
        if (g_check)
            Run({g_self, "--check-file=" + Relocated(rows).toStdString()}, false);
    }
    return 0;
}
