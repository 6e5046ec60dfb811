#pragma once

// The message box service: a real box on screen, a transcript line
// ("message: TEXT") in scripted mode, where the box is answered with OK.
#include "ini/WinTypes.h"

#include <QString>

class QWidget;

int AfxMessageBox(const QString& text, QWidget* parent = nullptr);
