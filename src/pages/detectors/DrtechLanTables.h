#pragma once

// Control ids, detector columns and the model table of the DRTECH LAN page
// (only DetectorDrtechLanMulti.cpp includes this).
#include <QByteArray>

#include <iterator>

#include "pages/Page.h"
#include "pages/detectors/DrtechSwitches.h"
#include "settings/IniKeys.h"

// The control ids of one detector column and where its values are kept.
struct DrtechLanColumn {
    const char* prefix;     // of its [DetDrtech] keys
    const char* spacingKey; // in [Cor]
    int model;
    int width;
    int widthArrows;
    int height;
    int heightArrows;
    int spacing;
    int triggerOff;
    int triggerOn;
    int sensorWidth;
    int sensorHeight;

    QByteArray Key(const char* name) const { return QByteArray(prefix) + name; }
};

namespace drtechlan {


enum : int {
    kTriggerOnA = 1010,
    kTriggerOffA = 1011,
    kTriggerOnB = 1012,
    kTriggerOffB = 1013,
    kTriggerOnC = 1014,
    kTriggerOffC = 1015,
    kWidthB = 1043,
    kHeightB = 1044,
    kSensorWidthB = 1045,
    kSensorHeightB = 1046,
    kSpacingB = 1047,
    kModelA = 1051,
    kModelB = 1055,
    kWidthArrowsA = 1056,
    kHeightArrowsA = 1059,
    kWidthA = 1060,
    kHeightA = 1061,
    kSensorWidthA = 1062,
    kSensorHeightA = 1063,
    kSpacingA = 1064,
    kWidthArrowsB = 1065,
    kHeightArrowsB = 1066,
    kEnableAed = 1067,
    kWidthC = 1072,
    kHeightC = 1073,
    kModelC = 1074,
    kSensorWidthC = 1075,
    kSensorHeightC = 1076,
    kSpacingC = 1077,
    kWidthArrowsC = 1078,
    kHeightArrowsC = 1079,
    kEnable3rd = 1081,
    kStand = 1086,
    kTable = 1087,
    kDual = 1088,
};

inline const DrtechLanColumn kColumns[] = {
    {"A_", kPixelSpacing, kModelA, kWidthA, kWidthArrowsA, kHeightA, kHeightArrowsA, kSpacingA,
     kTriggerOffA, kTriggerOnA, kSensorWidthA, kSensorHeightA},
    {"B_", kPixelSpacing2, kModelB, kWidthB, kWidthArrowsB, kHeightB, kHeightArrowsB, kSpacingB,
     kTriggerOffB, kTriggerOnB, kSensorWidthB, kSensorHeightB},
    {"C_", "PixelSpacing3", kModelC, kWidthC, kWidthArrowsC, kHeightC, kHeightArrowsC, kSpacingC,
     kTriggerOffC, kTriggerOnC, kSensorWidthC, kSensorHeightC},
};
inline const DrtechLanColumn& kA = kColumns[0];
inline const DrtechLanColumn& kB = kColumns[1];
inline const DrtechLanColumn& kThird = kColumns[2];

inline constexpr Binding kSoundKey = CheckBinding(kSound, kDetDrtech, "SndExp");
inline constexpr Binding kExposureControlKey = CheckBinding(kExposureControl, kDetDrtech, "CtrlExp");
inline constexpr Binding kUseAedKey = CheckBinding(kEnableAed, kDetDrtech, "UseAED");

struct LanModel {
    const char* name;
    int width;
    int height;
    float spacing;
    int typeCode; // as stored
    int triggers; // how many of kTriggers it offers
};

inline constexpr char kThirdDetector[] = "3rdDet";

inline const LanModel kModels[] = {
    {"FLAATZ 500 LAN", 2560, 3072, 0.139f, 0, 1},  {"FLAATZ 560 LAN", 2560, 3072, 0.139f, 1, 1},
    {"FLAATZ 750E LAN", 2560, 2560, 0.168f, 2, 1}, {"FLAATZ 760 LAN", 2560, 2560, 0.168f, 3, 1},
    {"FLAATZ 330N LAN", 2048, 1536, 0.168f, 4, 1}, {"FDXD810 LAN", 2048, 1536, 0.168f, 5, 1},
    {"FLAATZ 600 LAN", 2560, 3072, 0.139f, 6, 2},  {"EVS 4343", 3072, 3072, 0.140f, 22, 3},
    {"EVS-3643", 2560, 3072, 0.140f, 25, 3},
};
inline const int kModelCount = int(std::size(kModels));
inline const LanModel kNoModel = {"", 2560, 3072, 0.143f, -1, 1};

// Stored as their 1-based position.
inline const char* const kTriggers[] = {"S/WBOX", "AED", "SYNC"};

} // namespace drtechlan
