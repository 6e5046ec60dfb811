#pragma once

// Control ids and value tables that the generator page's loading and saving
// share (only Generator.cpp and GeneratorSave.cpp include this).
#include "pages/Page.h"
#include "settings/IniKeys.h"

namespace generator {

enum : int {
    IDC_RALCO = 1007,
    IDC_USE_DAP = 1008,
    IDC_WS_AUX = 1010,
    IDC_SENSITIVITY = 1011,
    IDC_READY_DELAY = 1012,
    IDC_GEN_PORT = 1024,
    IDC_SYFM_PORT = 1026,
    IDC_WS_TABLE = 1027,
    IDC_SYFM_TYPE = 1028,
    IDC_AUTOEXP_PORT = 1029,
    IDC_AUTOEXP_BAUD = 1030,
    IDC_ENABLE_SYFM = 1050,
    IDC_AUTO_EXP = 1051,
    IDC_SYFM_FIX = 1052,
    IDC_RALCO_FIX = 1053,
    IDC_IO_ENABLE = 1054,
    IDC_WS_STAND_LABEL = 1068,
    IDC_WS_TABLE_LABEL = 1069,
    IDC_12BIT_SEND = 1070,
    IDC_INTERPOLATION = 1072,
    IDC_REJECT = 1073,
    IDC_ANALYSIS = 1074,
    IDC_STITCHING = 1075,
    IDC_GEN_MODEL = 1076,
    IDC_GEN_MODEL_LABEL = 1077,
    IDC_AUTOCROP = 1078,
    IDC_VIRTUAL_KEYBOARD = 1079,
    IDC_SYFM_GROUP = 1080,
    IDC_SYFM_TYPE_LABEL = 1081,
    IDC_SYFM_PORT_LABEL = 1082,
    IDC_DAP_TYPE = 1083,
    IDC_USBIO = 1084,
    IDC_AUTOEXP_PORT_LABEL = 1087,
    IDC_AUTOEXP_BAUD_LABEL = 1088,
    IDC_WIFI = 1089,
    IDC_NO_SHUTTER = 1090,
    IDC_DAP_UNIT = 1092,
    IDC_IO_MULTI = 1096,
    IDC_WS_STAND = 1133,
    IDC_DAP_PORT = 1137,
    IDC_IO_MODEL = 1147,
};

// [SYSTEM] processing switches in write order; "12BitSend" is also written
// as "photometric".
inline constexpr Binding kSwitches[] = {
    CheckBinding(IDC_12BIT_SEND, kSystem, "12BitSend"),
    CheckBinding(IDC_INTERPOLATION, kSystem, "Interpolation"),
    CheckBinding(IDC_REJECT, kSystem, "Reject"),
    CheckBinding(IDC_ANALYSIS, kSystem, "Analysis"),
    CheckBinding(IDC_STITCHING, kSystem, "WBProcImg"),
    CheckBinding(IDC_AUTOCROP, kSystem, "IsAutoCrop"),
    CheckBinding(IDC_VIRTUAL_KEYBOARD, kSystem, "UseiKeyBoard"),
};
inline constexpr char kPhotometric[] = "photometric";

// The plain controls, each loaded and saved where the page always did.
inline constexpr char kSyfmSdk[] = "SYFMSDK"; // the section, and its key of the same name
inline constexpr char kSetup[] = "SETUP";
inline constexpr char kSyfmUse[] = "SYFMUSE";    // [SETUP]
inline constexpr char kSyfmType[] = "TYPE";      // [SYFMSDK]
inline constexpr char kSyfmPort[] = "PORT";      // [SYFMSDK]
inline constexpr char kSyfmUsbPort[] = "USBPORT"; // [SYFMSDK]
inline constexpr char kRalcoSid[] = "RALCO_SID"; // [SYFMSDK]
inline constexpr char kUseDap[] = "UseDAP";      // [CONTROLPANNEL]
inline constexpr char kUseDap2[] = "UseDAP2";    // [CONTROLPANNEL]
inline constexpr char kTypeGen[] = "TypeGen";    // [CONTROLPANNEL]
inline constexpr char kDapPort[] = "DAPPORT";    // [CONTROLPANNEL]
inline constexpr char kIoDevice[] = "IODevice";  // [CONTROLPANNEL]
inline constexpr char kReadyOffset[] = "ReadyOffset"; // [CONTROLPANNEL]
inline constexpr char kWsForStand100[] = "WSforStand100"; // [CONTROLPANNEL]
inline constexpr char kWsForStand180[] = "WSforStand180"; // [CONTROLPANNEL]
inline constexpr char kWsForTable[] = "WSforTable";       // [CONTROLPANNEL]
inline constexpr char kWsForAux[] = "WSforAux";           // [CONTROLPANNEL]
inline constexpr char kGenerator[] = "GENERATOR";
inline constexpr char kComPort[] = "COMPORT"; // [GENERATOR]
inline constexpr char kMdpsc[] = "MDPSC";     // [GENERATOR]
inline constexpr Binding kDapUnit = ListBinding(IDC_DAP_UNIT, kControlPanel, "TypeDose");
inline constexpr Binding kSyfmFix = CheckBinding(IDC_SYFM_FIX, kSyfmSdk, "FIX");
inline constexpr Binding kSensitivity = TextBinding(IDC_SENSITIVITY, kSystem, "ConstKCal", "0");
inline constexpr Binding kNoShutter = CheckBinding(IDC_NO_SHUTTER, kSetup, "NoShutter");
inline constexpr Binding kWifi = CheckBinding(IDC_WIFI, kControlPanel, "UseWifiModel");
inline constexpr Binding kIoMulti = CheckBinding(IDC_IO_MULTI, kControlPanel, "UseIOMulti");
inline constexpr Binding kUseUsbIo = CheckBinding(IDC_USBIO, kSystem, "UseUSBIO");
inline constexpr Binding kAutoExp = CheckBinding(IDC_AUTO_EXP, kSyfmSdk, "AutoExp", 1);
inline constexpr Binding kAutoExpBaud = TextBinding(IDC_AUTOEXP_BAUD, kSyfmSdk, "USBBAUD", "19200");
inline constexpr Binding kUseRalco = CheckBinding(IDC_RALCO, kSetup, "DACSUSE");
inline constexpr Binding kRalcoFix = CheckBinding(IDC_RALCO_FIX, "DEV_RALCO", "TYPE");

// SYFM positioner models. The code is [SYFMSDK] SYFMSDK * 10 + TYPE, except
// 19 (with Ralco collimator), which is stored as 11 with "RALCO_SID" set.
struct SyfmModel {
    int code;
    int sdk;
    int type;
    const char* text;
};
inline constexpr int kSyfmWithRalco = 19;
inline constexpr int kSyfmCeiling = 22;
inline constexpr SyfmModel kSyfmModels[] = {
    {11, 1, 1, "SYFM U-ARM(SU3000)"},
    {12, 1, 2, "SYFM U-ARM(SU5000)"},
    {kSyfmWithRalco, 1, 1, "SYFM U-ARM(SU3000) + RALCO"},
    {kSyfmCeiling, 2, 2, "SYFM CEILING"},
    {42, 4, 2, "SYFM STAND"},
};

inline const SyfmModel* FindSyfmModel(long code)
{
    for (const SyfmModel& model : kSyfmModels) {
        if (model.code == code)
            return &model;
    }
    return nullptr;
}

// Trigger I/O board codes of [CONTROLPANNEL] "IODevice"; list order is
// PCI, USB, MDA.
inline constexpr int kIoPci7250 = 6;
inline constexpr int kIoUsb7250 = 7;
inline constexpr int kIoMda4000 = 4;

// The device id whose page has no USB I/O option.
inline constexpr int kDeviceWithoutUsbIo = 11;

} // namespace generator
