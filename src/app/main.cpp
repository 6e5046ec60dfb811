// kestrel-setup: the configuration editor of the Kestrel workstation.
#include "app/SetUpApp.h"
#include "platform/StopSignals.h"
#include "platform/Transcript.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage:\n"
    "  kestrel-setup [--dir FOLDER]                 settings mode, on screen\n"
    "  kestrel-setup [--dir FOLDER] --script FILE   scripted settings mode (FILE may be -)\n"
    "  kestrel-setup [--dir FOLDER] --headless      settings mode without a window or actions\n"
    "  kestrel-setup [--dir FOLDER] --restore [N]   list the backups, or put backup N back\n"
    "  kestrel-setup [--headless] \"E:\\;F:\" [--database PATH]\n"
    "                                               relocate image paths in Kestrel.mdb\n"
    "\n"
    "Options:\n"
    "  --dir FOLDER      workstation folder (holds Kestrel.ini); default: the executable's\n"
    "  --script FILE     run the user actions in FILE, transcript on standard output\n"
    "  --headless        no window: message boxes go to standard output\n"
    "  --dry-run         write nothing; print the keys a save would change\n"
    "  --database PATH   relocation mode: the database file to open\n"
    "  --screenshots DIR save a picture of every tab into DIR and quit\n"
    "  --help            show this text\n"
    "  --version         show the version\n"
    "\n"
    "Exit status: 0 done; 1 a failure the program reported (a file it could not\n"
    "save, a value it refused to write); 2 a refused command line or script error,\n"
    "or a transcript that could not be written; 128+N stopped by signal N\n"
    "(SIGINT 130, SIGTERM 143, SIGHUP 129): what was not yet saved is dropped.\n";

QtMessageHandler g_qtHandler = nullptr;

// Qt's note that it chose a runtime folder itself is about the environment,
// not about anything the user did; every other message passes.
void FilterQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg &&
        text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (g_qtHandler)
        g_qtHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

int Refuse(const char* what)
{
    std::fprintf(stderr, "kestrel-setup: %s\n\n%s", what, kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    StartOptions options;
    bool haveArgument = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&](QString* out) {
            if (i + 1 >= argc)
                return false;
            *out = QString::fromLocal8Bit(argv[++i]);
            return true;
        };
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!std::strcmp(a, "--version")) {
            std::printf("kestrel-setup %s\n", KESTREL_VERSION);
            return 0;
        }
        if (!std::strcmp(a, "--dir")) {
            if (!value(&options.dir))
                return Refuse("--dir needs a folder");
        } else if (!std::strcmp(a, "--script")) {
            if (!value(&options.scriptFile))
                return Refuse("--script needs a file");
        } else if (!std::strcmp(a, "--database")) {
            if (!value(&options.database))
                return Refuse("--database needs a path");
        } else if (!std::strcmp(a, "--screenshots")) {
            if (!value(&options.screenshots))
                return Refuse("--screenshots needs a folder");
        } else if (!std::strcmp(a, "--headless")) {
            options.headless = true;
        } else if (!std::strcmp(a, "--dry-run")) {
            options.dryRun = true;
        } else if (!std::strcmp(a, "--restore")) {
            options.restore = true;
            if (i + 1 < argc && argv[i + 1][0] >= '0' && argv[i + 1][0] <= '9') {
                char* end = nullptr;
                options.restoreIndex = int(std::strtol(argv[++i], &end, 10));
                if (*end || options.restoreIndex < 1)
                    return Refuse("--restore takes the number of a backup");
            }
        } else if (!std::strncmp(a, "--", 2)) {
            return Refuse((std::string("unknown option ") + a).c_str());
        } else if (a[0] == '-' || a[0] == '/') {
            // A switch in the framework's sense selects nothing.
        } else if (!haveArgument) {
            options.argument = QByteArray(a);
            haveArgument = true;
        } else {
            return Refuse("only one plain argument is taken");
        }
    }
    if (options.restore && !options.argument.isEmpty())
        return Refuse("--restore takes the number of a backup");
    if (!options.database.isEmpty() && options.argument.isEmpty())
        return Refuse("--database is for the relocation mode");

    // The settings mode stops at a safe point on a stop signal; the other
    // modes keep the default, where their own files stay safe on a kill.
    if (options.argument.isEmpty() && !options.restore)
        stopsignals::Install();
    else
        stopsignals::IgnoreBrokenPipe();
    g_qtHandler = qInstallMessageHandler(FilterQtMessages);

    const bool noScreen = options.headless || options.restore || !options.scriptFile.isEmpty();
    if (noScreen && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Pictures are taken unattended: a message box would wait for nobody, so
    // messages go to the transcript there too.
    transcript::SetActive(noScreen || !options.screenshots.isEmpty());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrel-setup"));
    QApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
    return theApp.InitInstance(options);
}
