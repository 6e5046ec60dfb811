#pragma once

// One field of a scripted-mode dump line: Field(r.Control(1041), "text").
// Quoted values come back without their quotes (escapes left as written).
#include <QString>

inline QString Field(const QString& line, const char* name)
{
    const QString key = QLatin1Char(' ') + QLatin1String(name) + QLatin1Char('=');
    int at = line.indexOf(key);
    if (at < 0)
        return QStringLiteral("<no %1 in \"%2\">").arg(QLatin1String(name), line);
    at += key.size();
    if (line.mid(at, 1) == QLatin1String("\"")) {
        int end = at + 1;
        while (end < line.size() && line[end] != QLatin1Char('"'))
            end += line[end] == QLatin1Char('\\') ? 2 : 1;
        return line.mid(at + 1, end - at - 1);
    }
    if (line.mid(at, 1) == QLatin1String("[")) {
        const int end = line.indexOf(QLatin1Char(']'), at);
        return line.mid(at, end - at + 1);
    }
    const int end = line.indexOf(QLatin1Char(' '), at);
    return line.mid(at, end < 0 ? -1 : end - at);
}

// "visible enabled checked" as three digits, e.g. "110".
inline QString State(const QString& line)
{
    return Field(line, "visible") + Field(line, "enabled") + Field(line, "checked");
}
