// Saving of the generator page. Every write happens where it stands, so a key
// written twice ends with the later value; what decides a path (generator
// type, "IsVet", "Device", the SYFM settings) is read from the file now.
#include "pages/generator/Generator.h"

#include "pages/generator/GeneratorTables.h"
#include "ui/PortLists.h"
#include "settings/Ini.h"

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
    g_Ini.WriteString("SYSTEM", "ConstKCal", GetDlgItemText(IDC_SENSITIVITY));
    SaveRalco();
    SaveDap();
    g_Ini.WriteInt("SETUP", "NoShutter", IsDlgButtonChecked(IDC_NO_SHUTTER));
    g_Ini.WriteInt("CONTROLPANNEL", "UseWifiModel", IsDlgButtonChecked(IDC_WIFI));
    SaveIoDevice();
    g_Ini.WriteInt("CONTROLPANNEL", "UseIOMulti", IsDlgButtonChecked(IDC_IO_MULTI));
}

void CGenerator::SaveGenerator()
{
    const int typeGen = g_Ini.GetInt("CONTROLPANNEL", "TypeGen", 0);
    if (typeGen == 0 || typeGen == 99)
        return;
    g_Ini.WriteInt(
        "GENERATOR", "COMPORT",
        ChosenComPort(*this, IDC_GEN_PORT, QStringLiteral("Generator ComPort Invalid, Set COM1")));
    if (g_Ini.GetInt("SYSTEM", "IsVet", 0) == 0) {
        const QByteArray stand = GetDlgItemText(IDC_WS_STAND);
        g_Ini.WriteString("CONTROLPANNEL", "WSforStand100", stand);
        g_Ini.WriteString("CONTROLPANNEL", "WSforStand180", stand);
        g_Ini.WriteString("CONTROLPANNEL", "WSforTable", GetDlgItemText(IDC_WS_TABLE));
        g_Ini.WriteString("CONTROLPANNEL", "WSforAux", GetDlgItemText(IDC_WS_AUX));
    } else {
        // A veterinary workstation serves every position.
        const QByteArray ws = GetDlgItemText(IDC_WS_TABLE);
        for (const char* key : {"WSforTable", "WSforStand100", "WSforStand180", "WSforAux"})
            g_Ini.WriteString("CONTROLPANNEL", key, ws);
    }
    g_Ini.WriteInt("GENERATOR", "MDPSC", GetCurSel(IDC_GEN_MODEL) + 1);
}

void CGenerator::SaveSwitches()
{
    for (const Switch& s : kSwitches) {
        const int value = IsDlgButtonChecked(s.id);
        g_Ini.WriteInt("SYSTEM", s.key, value);
        if (s.alsoKey)
            g_Ini.WriteInt("SYSTEM", s.alsoKey, value);
    }
}

void CGenerator::SaveSyfm()
{
    // Only a site with a positioner and its own section gets SYFM keys.
    if (!HasSyfmSdkSection() || g_Ini.GetString("SETUP", "SYFMUSE", "").isEmpty())
        return;
    if (IsDlgButtonChecked(IDC_ENABLE_SYFM) != 1) {
        g_Ini.WriteInt("SYFMSDK", "SYFMSDK", 0);
        g_Ini.WriteInt("DetectorVatech", "Mode", 1);
        g_Ini.WriteInt("SYSTEM", "UseUSBIO", 0);
    } else {
        g_Ini.WriteInt("DetectorVatech", "Mode", 2);
        g_Ini.WriteInt("SYFMSDK", "RALCO_SID", 0);
        g_Ini.WriteInt("SETUP", "DACSUSE", 0);
        if (g_Ini.GetInt("CONTROLPANNEL", "Device", 0) != kDeviceWithoutUsbIo)
            g_Ini.WriteInt("SYSTEM", "UseUSBIO", IsDlgButtonChecked(IDC_USBIO) != 0 ? 1 : 0);
        if (!SaveSyfmModel())
            return;
        g_Ini.WriteInt(
            "SYFMSDK", "PORT",
            ChosenComPort(*this, IDC_SYFM_PORT, QStringLiteral("SYFM ComPort Invalid, Set COM1")));
        g_Ini.WriteInt("SYFMSDK", "AutoExp", IsDlgButtonChecked(IDC_AUTO_EXP));
        // Stored whether "Auto Exp" is on or not.
        g_Ini.WriteInt("SYFMSDK", "USBPORT",
                       ChosenComPort(*this, IDC_AUTOEXP_PORT,
                                     QStringLiteral("AutoExp ComPort Invalid, Set COM1")));
        g_Ini.WriteString("SYFMSDK", "USBBAUD", GetDlgItemText(IDC_AUTOEXP_BAUD));
    }
    g_Ini.WriteInt("SYFMSDK", "FIX", IsDlgButtonChecked(IDC_SYFM_FIX));
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
        g_Ini.WriteInt("SYFMSDK", "ROT", 180);
        g_Ini.WriteInt("SYFMSDK", "DET", 180);
        g_Ini.WriteInt("SYFMSDK", "SID1", 390);
        g_Ini.WriteInt("SYFMSDK", "SID2", 630);
        g_Ini.WriteInt("SYFMSDK", "offset", 1);
    }
    if (!model) {
        g_Ini.WriteString("SETUP", "SYFMUSE", "");
        return false;
    }
    g_Ini.WriteInt("SYFMSDK", "SYFMSDK", model->sdk);
    g_Ini.WriteInt("SYFMSDK", "TYPE", model->type);
    if (model->code == kSyfmWithRalco) {
        g_Ini.WriteInt("SYFMSDK", "RALCO_SID", 1);
        g_Ini.WriteInt("SETUP", "DACSUSE", 1);
    } else if (model->code == kSyfmCeiling && markerDiffers) {
        // The ceiling unit starts from its own distances.
        g_Ini.WriteInt("SYFMSDK", "SID1", 0);
        g_Ini.WriteInt("SYFMSDK", "SID2", 0);
        g_Ini.WriteInt("SYFMSDK", "offset", 0);
    }
    return true;
}

void CGenerator::SaveRalco()
{
    if (IsDlgButtonChecked(IDC_RALCO) == 1) {
        g_Ini.WriteInt("SETUP", "DACSUSE", 1);
        if (IsDlgButtonChecked(IDC_ENABLE_SYFM) == 1)
            g_Ini.WriteInt("SYFMSDK", "RALCO_SID", 1);
    } else {
        g_Ini.WriteInt("SETUP", "DACSUSE", 0);
    }
    g_Ini.WriteInt("DEV_RALCO", "TYPE", IsDlgButtonChecked(IDC_RALCO_FIX));
}

void CGenerator::SaveDap()
{
    if (IsDlgButtonChecked(IDC_USE_DAP) == 1) {
        const int type = GetCurSel(IDC_DAP_TYPE);
        if (type == 0) {
            g_Ini.WriteInt("CONTROLPANNEL", "UseDAP", 1);
            g_Ini.WriteInt("CONTROLPANNEL", "UseDAP2", 0);
        } else if (type >= 1 && type <= 3) {
            g_Ini.WriteInt("CONTROLPANNEL", "UseDAP", 0);
            g_Ini.WriteInt("CONTROLPANNEL", "UseDAP2", type);
        }
    } else {
        g_Ini.WriteInt("CONTROLPANNEL", "UseDAP", 0);
        g_Ini.WriteInt("CONTROLPANNEL", "UseDAP2", 0);
    }
    g_Ini.WriteInt("CONTROLPANNEL", "DAPPORT", GetCurSel(IDC_DAP_PORT) + 1);
    g_Ini.WriteInt("CONTROLPANNEL", "TypeDose", GetCurSel(IDC_DAP_UNIT));
}

void CGenerator::SaveIoDevice()
{
    int code = 0;
    if (IsDlgButtonChecked(IDC_IO_ENABLE) == 1) {
        const int model = GetCurSel(IDC_IO_MODEL);
        code = model == 1 ? kIoUsb7250 : model == 2 ? kIoMda4000 : kIoPci7250;
    }
    const int readyOffset = GetDlgItemInt(IDC_READY_DELAY);
    g_Ini.WriteInt("CONTROLPANNEL", "IODevice", code);
    g_Ini.WriteInt("CONTROLPANNEL", "ReadyOffset", readyOffset);
}
