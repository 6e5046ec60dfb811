// Reads and a save-sized transaction on a 1 MB INI file of 5,000 keys.
#include "ini/Profile.h"
#include "settings/Ini.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace
{

constexpr int kSections = 50;
constexpr int kKeysPerSection = 100;

std::string SectionName(int s)
{
    return "Section" + std::to_string(s);
}
std::string KeyName(int k)
{
    return "Key" + std::to_string(k);
}

class BigFile
{
public:
    BigFile()
    {
        std::string dir =
            (std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX").string();
        m_dir = ::mkdtemp(dir.data());
        m_path = m_dir + "/Kestrel.ini";
        std::ofstream out(m_path, std::ios::binary);
        out << "; 5,000 keys of about 200 bytes each\r\n";
        for (int s = 0; s < kSections; ++s) {
            out << "[" << SectionName(s) << "]\r\n";
            for (int k = 0; k < kKeysPerSection; ++k)
                out << KeyName(k) << " = " << std::string(190, char('a' + k % 26)) << "\r\n";
            out << "\r\n";
        }
        out.close();
        // A file that has stood for a moment, as Kestrel.ini has when the
        // editor starts: copies of it can be trusted at once.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ~BigFile() { std::filesystem::remove_all(m_dir); }
    const char* Path() const { return m_path.c_str(); }

private:
    std::string m_dir;
    std::string m_path;
};

const BigFile& File()
{
    static BigFile file;
    return file;
}

void BM_Read(benchmark::State& state)
{
    const char* path = File().Path();
    char buffer[512];
    GetPrivateProfileStringA("Section0", "Key0", "", buffer, sizeof buffer, path);
    int i = 0;
    for (auto _ : state) {
        const std::string section = SectionName(i % kSections);
        const std::string key = KeyName(i / kSections % kKeysPerSection);
        benchmark::DoNotOptimize(GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                                          sizeof buffer, path));
        ++i;
    }
}
BENCHMARK(BM_Read)->Iterations(10000)->Unit(benchmark::kMicrosecond);

void BM_ReadThroughStore(benchmark::State& state)
{
    const CIni ini(File().Path());
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ini.GetInt(SectionName(i % kSections).c_str(),
                                            KeyName(i % kKeysPerSection).c_str(), 0));
        ++i;
    }
}
BENCHMARK(BM_ReadThroughStore)->Iterations(10000)->Unit(benchmark::kMicrosecond);

// The first read after the file changed: it is read and parsed whole.
void BM_FirstRead(benchmark::State& state)
{
    const char* path = File().Path();
    char buffer[512];
    for (auto _ : state) {
        profile::ClearCache();
        benchmark::DoNotOptimize(
            GetPrivateProfileStringA("Section7", "Key7", "", buffer, sizeof buffer, path));
    }
}
BENCHMARK(BM_FirstRead)->Iterations(20)->Unit(benchmark::kMillisecond);

// Begin, 300 writes spread over the file (a few of them new keys), Commit.
void BM_Transaction300(benchmark::State& state)
{
    const char* path = File().Path();
    int round = 0;
    for (auto _ : state) {
        profile::BeginTransaction();
        for (int w = 0; w < 300; ++w) {
            const std::string section = SectionName(w % kSections);
            const std::string key =
                w % 30 == 0 ? "New" + std::to_string(w) : KeyName(w * 7 % kKeysPerSection);
            const std::string value = std::to_string(round * 1000 + w);
            WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path);
        }
        if (!profile::CommitTransaction().empty())
            state.SkipWithError("commit failed");
        ++round;
    }
}
BENCHMARK(BM_Transaction300)->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
