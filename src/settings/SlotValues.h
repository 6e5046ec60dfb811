#pragma once

// The values of a detector that the acquisition application keeps in [Cor]
// for one detector and in [Cor1] and [Cor2] for two: the main dialog's OK
// copies them into both slots, and "Use Different Detector" sets the slots up
// from them.
#include <QByteArray>

struct SlotValues {
    int useDefectView = 0;
    int crossDefectLevel = 3;
    QByteArray gain, offset, defectmap, makeRawPath;

    // From [Cor], with the defaults the acquisition application assumes.
    static SlotValues ReadFromCor();

    // UseDefectView, CrossDefectLeve.
    void WriteDefectView(const char* section) const;
    // Gain, Offset, Defectmap, MakeRawPath.
    void WriteFiles(const char* section) const;
};

// What some detector families keep in their own section is copied into the
// slot's section too: the Vatech library folder, the DRTECH type codes.
void WriteFamilyKeys(const char* section, int deviceId);
