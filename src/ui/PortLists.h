#pragma once

// Serial-port lists "COM1" to "COM9". The stored value is the port number,
// that is the list index + 1.
class CDialog;
class QString;

// Appends "COM1" to "COM9" to list id.
void FillComPorts(CDialog& page, int id);

// Selects the stored port; a value outside 1 to 9 selects "COM1".
void SelectComPort(CDialog& page, int id, int port);

// The port number to store for the entry chosen in id. With no port chosen
// (nothing selected, or text typed into the edit field) it shows message and
// gives 1, so that COM1 is written rather than nothing.
int ChosenComPort(CDialog& page, int id, const QString& invalidMessage);
