#include "ui/Transcript.h"

#include "ini/CodePage.h"

#include <cstdio>

namespace transcript {
namespace {
bool g_active = false;
QString* g_sink = nullptr;
bool g_broken = false;
} // namespace

bool Active()
{
    return g_active;
}
void SetActive(bool active)
{
    g_active = active;
}
void SetSink(QString* sink)
{
    g_sink = sink;
}

void Line(const QString& line)
{
    if (g_sink) {
        g_sink->append(line);
        g_sink->append(QLatin1Char('\n'));
        return;
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    // A reader that went away (a closed pipe) is noted, never fatal.
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
        std::fflush(stdout) != 0)
        g_broken = true;
}

bool Broken()
{
    return g_broken;
}

QString Escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString Escape(const QByteArray& bytes)
{
    return Escape(FromCodePage(bytes));
}

} // namespace transcript
