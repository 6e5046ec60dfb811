// kestrel-setup: the configuration editor of the Kestrel workstation.
#include "app/SetUpApp.h"
#include "ui/StopSignals.h"
#include "ui/Transcript.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

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

int Refuse(const QString& what)
{
    std::fprintf(stderr, "kestrel-setup: %s\n\n%s", qPrintable(what), kUsage);
    return 2;
}

// The options, and what is said when one that takes a value comes last.
struct Option {
    QCommandLineOption option;
    const char* missingValue;
};

const std::vector<Option>& Options()
{
    static const std::vector<Option> options = {
        {QCommandLineOption(QStringLiteral("dir"), {}, QStringLiteral("FOLDER")),
         "--dir needs a folder"},
        {QCommandLineOption(QStringLiteral("script"), {}, QStringLiteral("FILE")),
         "--script needs a file"},
        {QCommandLineOption(QStringLiteral("database"), {}, QStringLiteral("PATH")),
         "--database needs a path"},
        {QCommandLineOption(QStringLiteral("screenshots"), {}, QStringLiteral("DIR")),
         "--screenshots needs a folder"},
        {QCommandLineOption(QStringLiteral("headless")), nullptr},
        {QCommandLineOption(QStringLiteral("dry-run")), nullptr},
        {QCommandLineOption(QStringLiteral("restore")), nullptr},
        // "--restore N" reaches the parser as --restore --restore-number N.
        {QCommandLineOption(QStringLiteral("restore-number"), {}, QStringLiteral("N")), nullptr},
    };
    return options;
}

const Option* Find(const QString& arg)
{
    for (const Option& o : Options()) {
        if (arg == QLatin1String("--") + o.option.names().first())
            return &o;
    }
    return nullptr;
}

bool StartsWithDigit(const QString& arg)
{
    return !arg.isEmpty() && arg.at(0) >= QLatin1Char('0') && arg.at(0) <= QLatin1Char('9');
}

// As the number was always read: decimal digits to the end, at least 1.
bool IsBackupNumber(const QString& arg)
{
    const QByteArray bytes = arg.toLocal8Bit();
    char* end = nullptr;
    return std::strtol(bytes.constData(), &end, 10) >= 1 && !*end;
}

// What the parser does not know of the workstation's command line is settled
// here, argument by argument: --help and --version end the reading, a switch
// of one dash or a slash selects nothing, an option's value is whatever
// follows it, and --restore takes a number only when one follows. The first
// fault in argument order is refused. Returns the arguments for the parser.
// *argumentAt: where the plain argument stands (0: none).
std::optional<QStringList> Prepare(const QStringList& args, int* exitStatus, int* argumentAt)
{
    QStringList out{args.value(0)};
    *argumentAt = 0;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            *exitStatus = 0;
            return std::nullopt;
        }
        if (a == QLatin1String("--version")) {
            std::printf("kestrel-setup %s\n", KESTREL_VERSION);
            *exitStatus = 0;
            return std::nullopt;
        }
        if (a == QLatin1String("--restore-number")) {
            *exitStatus = Refuse(QStringLiteral("unknown option ") + a);
            return std::nullopt;
        }
        if (const Option* o = Find(a)) {
            if (!o->missingValue) {
                out << a;
            } else if (i + 1 < args.size()) {
                out << a + QLatin1Char('=') + args[++i]; // taken as it is, dashes and all
            } else {
                *exitStatus = Refuse(QLatin1String(o->missingValue));
                return std::nullopt;
            }
            if (a == QLatin1String("--restore") && StartsWithDigit(args.value(i + 1))) {
                if (!IsBackupNumber(args[++i])) {
                    *exitStatus = Refuse(QStringLiteral("--restore takes the number of a backup"));
                    return std::nullopt;
                }
                out << QStringLiteral("--restore-number=") + args[i];
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            *exitStatus = Refuse(QStringLiteral("unknown option ") + a);
            return std::nullopt;
        } else if (a.startsWith(QLatin1Char('-')) || a.startsWith(QLatin1Char('/'))) {
            // A switch in the framework's sense selects nothing.
        } else if (*argumentAt) {
            *exitStatus = Refuse(QStringLiteral("only one plain argument is taken"));
            return std::nullopt;
        } else {
            out << a;
            *argumentAt = i;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int status = 0;
    int argumentAt = 0;
    const std::optional<QStringList> prepared = Prepare(args, &status, &argumentAt);
    if (!prepared)
        return status;
    QCommandLineParser parser;
    for (const Option& o : Options())
        parser.addOption(o.option);
    parser.parse(*prepared); // every option and value was checked above

    StartOptions options;
    options.dir = parser.value(QStringLiteral("dir"));
    options.scriptFile = parser.value(QStringLiteral("script"));
    options.database = parser.value(QStringLiteral("database"));
    options.screenshots = parser.value(QStringLiteral("screenshots"));
    options.headless = parser.isSet(QStringLiteral("headless"));
    options.dryRun = parser.isSet(QStringLiteral("dry-run"));
    options.restore = parser.isSet(QStringLiteral("restore"));
    options.restoreIndex = parser.value(QStringLiteral("restore-number")).toInt();
    // The argument's bytes as given: its drive parts are read in the code page.
    if (argumentAt)
        options.argument = QByteArray(argv[argumentAt]);
    if (options.restore && !options.argument.isEmpty())
        return Refuse(QStringLiteral("--restore takes the number of a backup"));
    if (!options.database.isEmpty() && options.argument.isEmpty())
        return Refuse(QStringLiteral("--database is for the relocation mode"));

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
