#pragma once

// Runs a save as one transaction per file: the writes are collected, reads in
// between see them, and each touched file is replaced once at the end. A file
// that cannot be replaced keeps its old content whole; the user is told which
// and why, and the run ends with status 1.
#include <functional>

class QWidget;

// Returns true when every file was written.
bool RunSaveTransaction(const std::function<void()>& writes, QWidget* parent = nullptr);
