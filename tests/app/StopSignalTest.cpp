// SIGINT, SIGTERM and SIGHUP stop a run as Cancel would, at any moment: each
// file keeps its old content or has the whole new one, Kestrel.ini is
// read-only again exactly when it was before, and the exit status is 128 + the
// signal. A transcript nobody reads any more ends the script as an error.
//
// KESTREL_SIGNAL_RUNS sets how many signalled runs (default 30).
#include "support/ScriptRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>

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

using Clock = std::chrono::steady_clock;
using Us = std::chrono::microseconds;

const QByteArray kIni = "[CONTROLPANNEL]\nDevice=0\n[Cor]\nRotate1=0\nRotate2=0\n";
const QFileDevice::Permissions kReadOnly =
    QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

class Station
{
public:
    explicit Station(const QByteArray& script) { m_ws.Write(QStringLiteral("script.txt"), script); }

    void Reset(bool readOnly) const
    {
        m_ws.WriteIni(kIni);
        QDir(m_ws.Path(QStringLiteral("backup"))).removeRecursively();
        if (readOnly)
            QFile::setPermissions(Ini(), kReadOnly);
    }

    // Starts kestrel-setup on the workstation; `out` receives its standard
    // output (/dev/null when -1).
    pid_t Start(QStringList args, int out = -1) const
    {
        args.prepend(m_ws.Dir());
        args.prepend(QStringLiteral("--dir"));
        std::vector<QByteArray> bytes{QByteArray(KESTREL_SETUP_EXE)};
        for (const QString& a : args)
            bytes.push_back(QFile::encodeName(a));
        std::vector<char*> argv;
        for (QByteArray& b : bytes)
            argv.push_back(b.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (out >= 0)
            posix_spawn_file_actions_adddup2(&actions, out, 1);
        else
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return error == 0 ? pid : -1;
    }
    pid_t StartScript(int out = -1) const
    {
        return Start({QStringLiteral("--script"), m_ws.Path(QStringLiteral("script.txt"))}, out);
    }

    QString Ini() const { return m_ws.Path(QStringLiteral("Kestrel.ini")); }
    QByteArray IniBytes() const { return m_ws.Read(QStringLiteral("Kestrel.ini")); }
    bool Writable() const { return QFile::permissions(Ini()) & QFileDevice::WriteOwner; }
    int Leftovers() const
    {
        return QDir(m_ws.Dir())
            .entryList({QStringLiteral(".Kestrel.ini.*")}, QDir::Files | QDir::Hidden)
            .size();
    }

private:
    Workstation m_ws;
};

int Runs()
{
    const char* text = std::getenv("KESTREL_SIGNAL_RUNS");
    return text ? std::max(1, std::atoi(text)) : 30;
}

// Waits at most 20 s; a run still going then is killed and counts as a hang.
int Wait(pid_t pid)
{
    int status = 0;
    for (int i = 0; i < 2000; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    ADD_FAILURE() << "kestrel-setup still ran after 20 s";
    return status;
}

} // namespace

TEST(StopSignal, AtAnyMomentTheFileIsOldOrSavedAndProtectedAsBefore)
{
    Station station("tab 2\ntype 1010 \"90\"\ntype 1011 \"180\"\nok\n");
    station.Reset(true);
    const QByteArray oldIni = station.IniBytes();
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(WIFEXITED(Wait(station.StartScript())));
    const long runUs = std::chrono::duration_cast<Us>(Clock::now() - start).count();
    const QByteArray newIni = station.IniBytes();
    ASSERT_NE(newIni, oldIni);
    ASSERT_FALSE(station.Writable());

    std::mt19937 random(std::random_device{}());
    const int kinds[] = {SIGINT, SIGTERM, SIGHUP};
    int stopped = 0, beforeHandlers = 0, ranToEnd = 0;
    for (int i = 0; i < Runs(); ++i) {
        const bool readOnly = i % 4 != 3;
        station.Reset(readOnly);
        const int signal = kinds[i % 3];
        const long delay = std::uniform_int_distribution<long>(0, runUs + runUs / 5)(random);
        const pid_t pid = station.StartScript();
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(Us(delay));
        ::kill(pid, signal);
        const int status = Wait(pid);

        const QByteArray ini = station.IniBytes();
        EXPECT_TRUE(ini == oldIni || ini == newIni) << "after a signal at " << delay << " us";
        EXPECT_EQ(station.Writable(), !readOnly) << "after a signal at " << delay << " us";
        EXPECT_EQ(station.Leftovers(), 0);
        if (WIFSIGNALED(status)) { // before the handlers were in place
            EXPECT_EQ(ini, oldIni);
            ++beforeHandlers;
        } else if (WEXITSTATUS(status) == 0) {
            EXPECT_EQ(ini, newIni);
            ++ranToEnd;
        } else {
            EXPECT_EQ(WEXITSTATUS(status), 128 + signal) << "after a signal at " << delay << " us";
            ++stopped;
        }
    }
    std::printf("[ signals  ] %d runs over a %ld us run: %d stopped, %d before the handlers, "
                "%d ran to their end\n",
                Runs(), runUs, stopped, beforeHandlers, ranToEnd);
}

// On screen the open dialog is closed as by Cancel.
TEST(StopSignal, OnScreenTheDialogClosesAsCancel)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Station station("");
    station.Reset(true);
    const QByteArray before = station.IniBytes();
    const pid_t pid = station.Start({});
    ASSERT_GT(pid, 0);
    // Start-up lifts the protection; the dialog is up soon after.
    for (int i = 0; i < 500 && !station.Writable(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(station.Writable());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGTERM);
    const int status = Wait(pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
    EXPECT_EQ(station.IniBytes(), before);
    EXPECT_FALSE(station.Writable());
}

// As `kestrel-setup --script s | head -1`: the program neither dies nor goes
// on to press OK; the script ends as an error.
TEST(StopSignal, TranscriptNobodyReadsEndsTheScriptAsAnError)
{
    QByteArray script = "tab 2\ntype 1010 \"90\"\n";
    for (int i = 0; i < 300; ++i) // far more than a pipe holds
        script += "dump\n";
    Station station(script + "ok\n");
    station.Reset(true);
    const QByteArray before = station.IniBytes();
    int fds[2];
    // Close-on-exec: the child must not hold the read end open itself.
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const pid_t pid = station.StartScript(fds[1]);
    ::close(fds[1]);
    ASSERT_GT(pid, 0);
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') {
    }
    ::close(fds[0]);
    const int status = Wait(pid);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_EQ(station.IniBytes(), before);
    EXPECT_FALSE(station.Writable());
}
