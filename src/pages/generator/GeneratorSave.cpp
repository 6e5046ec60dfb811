// Saving of the generator page. Every write happens where it stands, so a key
// written twice ends with the later value; what decides a path (generator
// type, "IsVet", "Device", the SYFM settings) is read from the file now.
#include "pages/generator/Generator.h"

#include "pages/Veterinary.h"
#include "pages/generator/GeneratorTables.h"
#include "settings/Ini.h"
#include "ui/PortLists.h"

using namespace generator;

void CGenerator::OnOK()
{
    SaveGeneratorSettings();
}

void CGenerator::SaveGeneratorSettings()
{
    SaveGenerator();
    SaveSwitches();
    SaveSyfm();
    Save(kSensitivity);
    SaveRalco();
    SaveDap();
    Save(kNoShutter);
    Save(kWifi);
    SaveIoDevice();
    Save(kIoMulti);
}

void CGenerator::SaveGenerator()
{
    const int typeGen = g_Ini.GetInt(kControlPanel, kTypeGen, 0);
    if (typeGen == 0 || typeGen == 99)
        return;
    g_Ini.WriteInt(
        kGenerator, kComPort,
        ChosenComPort(*this, IDC_GEN_PORT, QStringLiteral("Generator ComPort Invalid, Set COM1")));
    if (!IsVetSet(ReadVetKind())) {
        const QByteArray stand = GetDlgItemText(IDC_WS_STAND);
        g_Ini.WriteString(kControlPanel, kWsForStand100, stand);
        g_Ini.WriteString(kControlPanel, kWsForStand180, stand);
        g_Ini.WriteString(kControlPanel, kWsForTable, GetDlgItemText(IDC_WS_TABLE));
        g_Ini.WriteString(kControlPanel, kWsForAux, GetDlgItemText(IDC_WS_AUX));
    } else {
        // A veterinary workstation serves every position.
        const QByteArray ws = GetDlgItemText(IDC_WS_TABLE);
        for (const char* key : {kWsForTable, kWsForStand100, kWsForStand180, kWsForAux})
            g_Ini.WriteString(kControlPanel, key, ws);
    }
    g_Ini.WriteInt(kGenerator, kMdpsc, GetCurSel(IDC_GEN_MODEL) + 1);
}

void CGenerator::SaveSwitches()
{
    for (const Binding& s : kSwitches) {
        Save(s);
        if (s.id == IDC_12BIT_SEND)
            g_Ini.WriteInt(kSystem, kPhotometric, IsDlgButtonChecked(s.id) ? 1 : 0);
    }
}

void CGenerator::SaveSyfm()
{
    // Only a site with a positioner and its own section gets SYFM keys.
    if (!HasSyfmSdkSection() || g_Ini.GetString(kSetup, kSyfmUse, "").isEmpty())
        return;
    if (IsDlgButtonChecked(IDC_ENABLE_SYFM) != 1) {
        g_Ini.WriteInt(kSyfmSdk, kSyfmSdk, 0);
        g_Ini.WriteInt(kDetectorVatech, "Mode", 1);
        g_Ini.WriteInt(kSystem, kUseUsbIo.key, 0);
    } else {
        g_Ini.WriteInt(kDetectorVatech, "Mode", 2);
        g_Ini.WriteInt(kSyfmSdk, kRalcoSid, 0);
        g_Ini.WriteInt(kSetup, kUseRalco.key, 0);
        if (g_Ini.GetInt(kControlPanel, kDevice, 0) != kDeviceWithoutUsbIo)
            Save(kUseUsbIo);
        if (!SaveSyfmModel())
            return;
        g_Ini.WriteInt(
            kSyfmSdk, kSyfmPort,
            ChosenComPort(*this, IDC_SYFM_PORT, QStringLiteral("SYFM ComPort Invalid, Set COM1")));
        Save(kAutoExp);
        // Stored whether "Auto Exp" is on or not.
        g_Ini.WriteInt(kSyfmSdk, kSyfmUsbPort,
                       ChosenComPort(*this, IDC_AUTOEXP_PORT,
                                     QStringLiteral("AutoExp ComPort Invalid, Set COM1")));
        Save(kAutoExpBaud);
    }
    Save(kSyfmFix);
}

// Writes the chosen model with the section's start values; false when no
// known model is chosen, which also turns the positioner off for the next start.
bool CGenerator::SaveSyfmModel()
{
    const int index = GetCurSel(IDC_SYFM_TYPE);
    const SyfmModel* model =
        index >= 0 ? FindSyfmModel(long(GetItemData(IDC_SYFM_TYPE, index))) : nullptr;
    const bool markerDiffers = SyfmSdkMarkerDiffers();
    if (markerDiffers) {
        g_Ini.WriteInt(kSyfmSdk, "ROT", 180);
        g_Ini.WriteInt(kSyfmSdk, "DET", 180);
        g_Ini.WriteInt(kSyfmSdk, "SID1", 390);
        g_Ini.WriteInt(kSyfmSdk, "SID2", 630);
        g_Ini.WriteInt(kSyfmSdk, "offset", 1);
    }
    if (!model) {
        g_Ini.WriteString(kSetup, kSyfmUse, "");
        return false;
    }
    g_Ini.WriteInt(kSyfmSdk, kSyfmSdk, model->sdk);
    g_Ini.WriteInt(kSyfmSdk, kSyfmType, model->type);
    if (model->code == kSyfmWithRalco) {
        g_Ini.WriteInt(kSyfmSdk, kRalcoSid, 1);
        g_Ini.WriteInt(kSetup, kUseRalco.key, 1);
    } else if (model->code == kSyfmCeiling && markerDiffers) {
        // The ceiling unit starts from its own distances.
        g_Ini.WriteInt(kSyfmSdk, "SID1", 0);
        g_Ini.WriteInt(kSyfmSdk, "SID2", 0);
        g_Ini.WriteInt(kSyfmSdk, "offset", 0);
    }
    return true;
}

void CGenerator::SaveRalco()
{
    if (IsDlgButtonChecked(IDC_RALCO) == 1) {
        g_Ini.WriteInt(kSetup, kUseRalco.key, 1);
        if (IsDlgButtonChecked(IDC_ENABLE_SYFM) == 1)
            g_Ini.WriteInt(kSyfmSdk, kRalcoSid, 1);
    } else {
        g_Ini.WriteInt(kSetup, kUseRalco.key, 0);
    }
    Save(kRalcoFix);
}

void CGenerator::SaveDap()
{
    if (IsDlgButtonChecked(IDC_USE_DAP) == 1) {
        const int type = GetCurSel(IDC_DAP_TYPE);
        if (type == 0) {
            g_Ini.WriteInt(kControlPanel, kUseDap, 1);
            g_Ini.WriteInt(kControlPanel, kUseDap2, 0);
        } else if (type >= 1 && type <= 3) {
            g_Ini.WriteInt(kControlPanel, kUseDap, 0);
            g_Ini.WriteInt(kControlPanel, kUseDap2, type);
        }
    } else {
        g_Ini.WriteInt(kControlPanel, kUseDap, 0);
        g_Ini.WriteInt(kControlPanel, kUseDap2, 0);
    }
    g_Ini.WriteInt(kControlPanel, kDapPort, GetCurSel(IDC_DAP_PORT) + 1);
    Save(kDapUnit);
}

void CGenerator::SaveIoDevice()
{
    int code = 0;
    if (IsDlgButtonChecked(IDC_IO_ENABLE) == 1) {
        const int model = GetCurSel(IDC_IO_MODEL);
        code = model == 1 ? kIoUsb7250 : model == 2 ? kIoMda4000 : kIoPci7250;
    }
    const int readyOffset = GetDlgItemInt(IDC_READY_DELAY);
    g_Ini.WriteInt(kControlPanel, kIoDevice, code);
    g_Ini.WriteInt(kControlPanel, kReadyOffset, readyOffset);
}
