// Killing the editor (SIGKILL) at any moment of a scripted OK leaves each INI
// file with exactly its old or exactly its new content.
//
// The kills are spread over the whole run, and half of them over the span in
// which the files change (learnt as the test goes: the latest kill that found
// both files old and the earliest that found both new). KESTREL_CRASH_KILLS
// sets how many (default 200); the test prints what the kills found.
#include "support/ScriptRun.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const char kScript[] = "click 1034\narrow 1049 1\narrow 1050 -1\nok\n";

const char kVendor[] = "[COMMON]\nCONFDIR=C:\\VoraSuite\\FPDOPR\nDUALMODE=0\nPORT=1\n"
                       "IPADDRESS=192.168.10.20\n\n[STAND]\nMODEL=TETD-1717\nSERIAL=S123456\n\n"
                       "[TABLE]\nMODEL=TETD-1417\nSERIAL=T654321\n";

// The example workstation turned into one with a TETD detector (device 15),
// whose page writes the vendor file as well.
QByteArray TetdIni()
{
    QFile f(QStringLiteral(KESTREL_SOURCE_DIR "/examples/workstation/Kestrel.ini"));
    f.open(QIODevice::ReadOnly);
    QByteArray ini = f.readAll();
    ini.replace("\r\nDevice=11\r\n", "\r\nDevice=15\r\n");
    return ini;
}

class Station
{
public:
    Station(const QByteArray& ini, const QByteArray& vendor) : m_ini(ini), m_vendor(vendor)
    {
        m_ws.Write(QStringLiteral("script.txt"), kScript);
        Reset();
    }

    void Reset() const
    {
        QDir dir(m_ws.Dir());
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (name != QLatin1String("script.txt"))
                QFile::remove(dir.filePath(name));
        }
        QDir(dir.filePath(QStringLiteral("backup"))).removeRecursively();
        m_ws.Write(QStringLiteral("Kestrel.ini"), m_ini);
        m_ws.Write(QStringLiteral("FPDOpr.INI"), m_vendor);
        QFile::setPermissions(m_ws.Path(QStringLiteral("Kestrel.ini")), QFileDevice::ReadOwner |
                                                                            QFileDevice::ReadGroup |
                                                                            QFileDevice::ReadOther);
    }

    pid_t Start() const
    {
        const QByteArray exe = KESTREL_SETUP_EXE, dir = QFile::encodeName(m_ws.Dir()),
                         script = QFile::encodeName(m_ws.Path(QStringLiteral("script.txt")));
        char* argv[] = {const_cast<char*>(exe.constData()),    const_cast<char*>("--dir"),
                        const_cast<char*>(dir.constData()),    const_cast<char*>("--script"),
                        const_cast<char*>(script.constData()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        const int error = posix_spawn(&pid, exe.constData(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        return error == 0 ? pid : -1;
    }

    QByteArray Ini() const { return m_ws.Read(QStringLiteral("Kestrel.ini")); }
    QByteArray Vendor() const { return m_ws.Read(QStringLiteral("FPDOpr.INI")); }
    // Temporary files a killed write left behind.
    int Leftovers() const
    {
        return QDir(m_ws.Dir())
            .entryList({QStringLiteral(".Kestrel.ini.*"), QStringLiteral(".FPDOpr.INI.*")},
                       QDir::Files | QDir::Hidden)
            .size();
    }

private:
    Workstation m_ws;
    QByteArray m_ini, m_vendor;
};

int Kills()
{
    const char* text = std::getenv("KESTREL_CRASH_KILLS");
    return text ? std::max(1, std::atoi(text)) : 200;
}

} // namespace

TEST(CrashTest, KilledAtAnyMomentOfTheSaveEachFileIsOldOrNew)
{
    using Clock = std::chrono::steady_clock;
    using Us = std::chrono::microseconds;
    Workstation source;
    source.WriteIni(kVendor, QStringLiteral("FPDOpr.INI"));
    const QByteArray oldIni = TetdIni(), oldVendor = source.Read(QStringLiteral("FPDOpr.INI"));
    ASSERT_TRUE(oldIni.contains("Device=15"));
    Station station(oldIni, oldVendor);

    // A run left alone gives the new contents and the length of a run.
    const Clock::time_point start = Clock::now();
    const pid_t reference = station.Start();
    ASSERT_GT(reference, 0);
    int status = 0;
    ::waitpid(reference, &status, 0);
    const long runUs = std::chrono::duration_cast<Us>(Clock::now() - start).count();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QByteArray newIni = station.Ini(), newVendor = station.Vendor();
    ASSERT_NE(newIni, oldIni);
    ASSERT_NE(newVendor, oldVendor);

    std::mt19937 random(std::random_device{}());
    long latestOld = 0, earliestNew = runUs;
    int bothOld = 0, bothNew = 0, mixed = 0, leftovers = 0, finished = 0;
    const int kills = Kills();
    for (int i = 0; i < kills; ++i) {
        station.Reset();
        const long from = i % 2 ? std::max(0L, latestOld - 2000) : 0;
        const long to = i % 2 ? earliestNew + 2000 : runUs + runUs / 5;
        const long delay = std::uniform_int_distribution<long>(from, std::max(from, to))(random);
        const pid_t pid = station.Start();
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(Us(delay));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        finished += WIFEXITED(status);

        const QByteArray ini = station.Ini(), vendor = station.Vendor();
        EXPECT_TRUE(ini == oldIni || ini == newIni)
            << "Kestrel.ini after a kill at " << delay << " us:\n"
            << ini.toStdString();
        EXPECT_TRUE(vendor == oldVendor || vendor == newVendor)
            << "FPDOpr.INI after a kill at " << delay << " us:\n"
            << vendor.toStdString();
        leftovers += station.Leftovers();
        if (ini == oldIni && vendor == oldVendor) {
            ++bothOld;
            latestOld = std::max(latestOld, delay);
        } else if (ini == newIni && vendor == newVendor) {
            ++bothNew;
            earliestNew = std::min(earliestNew, delay);
        } else {
            ++mixed;
        }
    }
    std::printf("[ crash    ] %d kills over a %ld us run: %d before the save, %d between the "
                "two files, %d after it (%d ran to their end); %d temporary files left by "
                "kills during a write\n",
                kills, runUs, bothOld, mixed, bothNew, finished, leftovers);
}
