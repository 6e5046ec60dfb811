#pragma once

// The page-wide switches of the DRTECH pages that are kept in both DRTECH
// sections of the main INI file: open time (1009), software exposure control
// (1016) and sound (1054).
class CDialog;

// Writes them in a fixed order; beep
// also copies the sound to [DetDrtech] "beep".
void SaveDrtechSwitches(const CDialog& page, bool beep);
