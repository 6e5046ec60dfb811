#pragma once

// One control line of a scripted `dump`, taken apart for assertions:
// control ID KIND visible=V enabled=E checked=C sel=S text="T" items=[...]
#include "support/ScriptRun.h"

#include <QString>

struct DumpedControl {
    bool found = false; // false: no such line, or not a dump line
    int id = 0;
    QString kind;
    bool visible = false;
    bool enabled = false;
    int checked = 0;
    int sel = -1;
    QString text;  // escaped as in the transcript: C:\X reads "C:\\X"
    QString items; // as printed, brackets included: ["A","B"]

    // Each "<no dump line>" when not found.
    // "110": visible, enabled, checked as digits.
    QString State() const;
    // "visible=1 enabled=1 checked=0", as printed.
    QString Flags() const;
    // "visible=1 enabled=1 checked=0 sel=-1 text=\"T\"", as printed.
    QString Fields() const;
};

DumpedControl ParseDumpLine(const QString& line);
// The last dump line of control id in the run's transcript.
DumpedControl Dumped(const ScriptResult& r, int id);

// One field of a dump line as printed: Field(r.Control(1041), "text"); a
// quoted value without its quotes (escapes as written).
QString Field(const QString& line, const char* name);
// "110": visible, enabled, checked of a dump line.
QString State(const QString& line);
