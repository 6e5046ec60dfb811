// Kestrel.ini files no workstation should hold, end to end through scripted
// mode: every run ends by itself, a run without OK leaves the folder as it
// was, and OK changes the file by exactly the keys it reports and nothing else.
#include "ini/CodePage.h"
#include "ini/Profile.h"
#include "support/ScriptRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <random>

namespace {

QByteArray Example()
{
    QFile f(QStringLiteral(KESTREL_SOURCE_DIR "/examples/workstation/Kestrel.ini"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QByteArray Junk(int size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() % 256);
    return bytes;
}

QByteArray Utf16(const QString& text)
{
    QByteArray wide("\xFF\xFE", 2);
    for (const QChar c : text) {
        wide += static_cast<char>(c.unicode() & 0xFF);
        wide += static_cast<char>(c.unicode() >> 8);
    }
    return wide;
}

struct Case {
    const char* name;
    QByteArray bytes;
};

std::vector<Case> Cases()
{
    const QByteArray example = Example();
    QByteArray sections = example;
    for (int i = 0; i < 100000; ++i)
        sections += "[S" + QByteArray::number(i) + "]\r\nk=v\r\n";
    QByteArray longLines = example;
    longLines.replace("[Cor]\r\n", "[Cor]\r\n; " + QByteArray(100000, 'c') + "\r\n" +
                                       QByteArray(100000, 'j') +
                                       "\r\nLong=" + QByteArray(100000, 'v') + "\r\n");
    QByteArray nul = example;
    nul.replace("[SYSTEM]", QByteArray("\0\0[SYSTEM]\0", 11))
        .replace("Width=3000", QByteArray("Width=30\0\0", 10));
    return {
        {"binary junk", Junk(65536, 1)},
        {"junk and NUL bytes among the lines", Junk(300, 2) + "\r\n" + nul + Junk(300, 3)},
        {"1 MB value",
         QByteArray(example).replace("Gain=Gain", "Gain=" + QByteArray(1 << 20, 'g'))},
        {"100,000 sections", sections},
        {"section header without ]", QByteArray(example).replace("[Cor]", "[Cor")},
        {"lines of 100,000 characters", longLines},
        {"UTF-16 with its byte-order mark", Utf16(QString::fromLatin1(example))},
    };
}

QByteArray Unescaped(const QString& text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar n = text[++i];
            c = n == QLatin1Char('r')   ? QChar('\r')
                : n == QLatin1Char('n') ? QChar('\n')
                : n == QLatin1Char('t') ? QChar('\t')
                                        : n;
        }
        out += c;
    }
    return ToCodePage(out);
}

// The old file with the reported changes made to it by the INI functions.
QByteArray Replayed(const Workstation& ws, const QByteArray& old, const QStringList& changes)
{
    static const QRegularExpression line(QStringLiteral(
        R"re(^change: Kestrel\.ini \[(.*)\] (.*): (?:"(.*)"|\(none\)) -> (?:"(.*)"|(\(none\)))$)re"));
    ws.Write(QStringLiteral("replayed.ini"), old);
    const QByteArray path = QFile::encodeName(ws.Path(QStringLiteral("replayed.ini")));
    for (const QString& change : changes) {
        const QRegularExpressionMatch m = line.match(change);
        EXPECT_TRUE(m.hasMatch()) << change.toStdString();
        const QByteArray section = Unescaped(m.captured(1)), key = Unescaped(m.captured(2)),
                         value = Unescaped(m.captured(4));
        WritePrivateProfileStringA(section.constData(), key.constData(),
                                   m.captured(5).isEmpty() ? value.constData() : nullptr,
                                   path.constData());
    }
    return ws.Read(QStringLiteral("replayed.ini"));
}

} // namespace

TEST(HostileIni, RunWithoutOkLeavesTheFolderAsItWas)
{
    for (const Case& c : Cases()) {
        Workstation ws;
        ws.Write(QStringLiteral("Kestrel.ini"), c.bytes);
        const ScriptResult r = ws.Run(QStringLiteral("dump\ntab 1\ndump\ntab 2\ndump\ncancel\n"));
        EXPECT_EQ(r.status, 0) << c.name << "\n" << r.transcript.left(2000).toStdString();
        EXPECT_TRUE(ws.Read(QStringLiteral("Kestrel.ini")) == c.bytes) << c.name;
        EXPECT_EQ(QDir(ws.Dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList(QStringLiteral("Kestrel.ini")))
            << c.name;
    }
}

TEST(HostileIni, OkChangesTheFileByExactlyTheKeysItReports)
{
    for (const Case& c : Cases()) {
        Workstation ws;
        ws.Write(QStringLiteral("Kestrel.ini"), c.bytes);
        const ScriptResult r = ws.Run(QStringLiteral("ok\n"));
        EXPECT_EQ(r.status, 0) << c.name << "\n" << r.transcript.left(2000).toStdString();
        const QStringList changes = r.Lines(QStringLiteral("change: "));
        EXPECT_FALSE(changes.isEmpty()) << c.name;
        EXPECT_TRUE(Replayed(ws, c.bytes, changes) == ws.Read(QStringLiteral("Kestrel.ini")))
            << c.name;
    }
}

TEST(HostileIni, Utf16BeyondTheCodePageIsReadAsEmptyAndNeverWritten)
{
    Workstation ws;
    const QByteArray bytes = Utf16(QString::fromLatin1(Example()) + QStringLiteral("; \u263A\r\n"));
    ws.Write(QStringLiteral("Kestrel.ini"), bytes);
    const ScriptResult r = ws.Run(QStringLiteral("ok\n"));
    EXPECT_EQ(r.Lines(QStringLiteral("message: ")),
              QStringList({QStringLiteral("message: Device id incorrected, Setup is shutdown now"),
                           QStringLiteral("message: Could not save %1: UTF-16 text beyond the "
                                          "code page")
                               .arg(ws.Path(QStringLiteral("Kestrel.ini")))}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ws.Read(QStringLiteral("Kestrel.ini")) == bytes);
}

// An edit holds at most 32767 characters unless the program sets more, as a
// Windows edit does; OK must not write back a value the edit cut.
TEST(HostileIni, ValueLongerThanAnEditHoldsIsWrittenBackWhole)
{
    Workstation ws;
    const QByteArray big(40000, 'w');
    ws.Write(QStringLiteral("Kestrel.ini"),
             Example().replace("WSforStand100=XRAY-STAND", "WSforStand100=" + big));
    const ScriptResult r = ws.Run(QStringLiteral("ok\n"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ws.Value("CONTROLPANNEL", "WSforStand100"), big);
}
