#pragma once

// One control as a scripted `dump` printed it, taken apart for assertions.
#include "support/ScriptRun.h"

#include <QRegularExpression>
#include <QString>

struct DumpedControl {
    bool found = false;
    bool visible = false;
    bool enabled = false;
    bool checked = false;
    int sel = -1;
    QString text; // escaped as in the transcript: C:\X reads "C:\\X"
};

inline DumpedControl Dumped(const ScriptResult& r, int id)
{
    static const QRegularExpression line(QStringLiteral(
        R"re(visible=(\d) enabled=(\d) checked=(\d) sel=(-?\d+) text="((?:[^"\\]|\\.)*)")re"));
    DumpedControl c;
    const QRegularExpressionMatch m = line.match(r.Control(id));
    if (!m.hasMatch())
        return c;
    c.found = true;
    c.visible = m.captured(1) == QLatin1String("1");
    c.enabled = m.captured(2) == QLatin1String("1");
    c.checked = m.captured(3) == QLatin1String("1");
    c.sel = m.captured(4).toInt();
    c.text = m.captured(5);
    return c;
}
