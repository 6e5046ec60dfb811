#pragma once

// The page-wide switches of the DRTECH pages that are kept in both DRTECH
// sections of the main INI file: open time, software exposure control and
// sound, at the same ids on every DRTECH template.
class CPage;

enum DrtechSwitchId : int {
    kOpenTime = 1009,
    kExposureControl = 1016,
    kSound = 1054,
};

// Writes them in a fixed order; beep also copies the sound to [DetDrtech] "beep".
void SaveDrtechSwitches(const CPage& page, bool beep);
