#pragma once

// The two detector slots as "Use Different Detector" sets them up: the first
// slot takes the detector the workstation has now, the second starts from the
// chosen model or, without one, as a copy of the first.
#include "settings/SlotValues.h"

#include <QByteArray>

// What the first detector slot holds when a second detector is switched on.
struct FirstDetector {
    int device;
    QByteArray libPath;
    int oriW, oriH, width, height;
    QByteArray pixelSpacing;
    SlotValues values;
};

// Read before anything is written, with the defaults the acquisition
// application assumes.
FirstDetector ReadFirstDetector();
void WriteFirstSlot(const FirstDetector& d);
// copyFirst: no model was chosen, so the sizes and the device id come from
// the first slot too.
void WriteSecondSlot(const FirstDetector& d, bool copyFirst);
