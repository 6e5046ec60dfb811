#pragma once

// Runs a save as one transaction per file: the writes are collected, reads in
// between see them, and each touched file is replaced once at the end. A file
// that cannot be replaced keeps its old content whole; the user is told which
// and why, and the run ends with status 1.
//
// Before a file is replaced its present content is kept in backup/ beside it.
// In scripted mode every key the save changed is written to the transcript
// ("change: FILE [Section] Key: "old" -> "new"", in the order written; FILE is
// the bare name for files of the workstation folder). In a dry run the same
// lines are written and nothing is: later reads see the unwritten content.
#include <QString>
#include <QStringList>

#include <functional>
#include <set>
#include <string>

class QWidget;
namespace profile {
struct Change;
}

// Returns true when every file was written.
bool RunSaveTransaction(const std::function<void()>& writes, QWidget* parent = nullptr);

// True once a save of this run left a file unwritten: the run ends with 1.
bool AnySaveFailed();
void ClearSaveFailures();

// The line a change is told by: "FILE [SECTION] KEY: "OLD" -> "NEW"", without
// the "change: " the transcript puts before it.
QString ChangeLine(const profile::Change& change);

// The lines a save of these writes would tell, in write order; the writes are
// collected and then dropped, so nothing is written and no copy is kept.
QStringList PreviewSave(const std::function<void()>& writes);

// Tells each write the INI functions refused since the last call (one message
// naming the file, the key and why; the run ends with status 1), except those
// to the files in failedFiles, whose failure was told already. Returns true
// when there was one.
bool ReportRefusedWrites(const std::set<std::string>& failedFiles = {}, QWidget* parent = nullptr);
