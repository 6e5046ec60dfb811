#pragma once

// The scripted mode's transcript on standard output, and the C escapes it and
// the scripts share.
#include <QByteArray>
#include <QString>

namespace transcript {

// True while the program runs without a screen (--script or --headless):
// message boxes, pickers and modal dialogs then go to the transcript.
bool Active();
void SetActive(bool active);

// Writes one line (a newline is added) and flushes it.
void Line(const QString& line);

// True once a line could not be written to standard output (its reader went
// away): the run must not go on as if the transcript were read.
bool Broken();

// C escapes of the script: \\ \" \r \n \t; other bytes pass unchanged.
QString Escape(const QString& text);
QString Escape(const QByteArray& bytes); // bytes shown in the workstation code page

// Redirect the transcript (tests); nullptr restores standard output.
void SetSink(QString* sink);

} // namespace transcript
