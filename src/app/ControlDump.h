#pragma once

// How the scripted mode shows a control: its kind as the scripts name it and
// its dump line ("control ID KIND visible=... items=[...]").
#include <QString>

class CDialog;
class QWidget;

QString ControlKind(const QWidget* w);
QString DumpControl(const CDialog& dialog, int id);
