#include "settings/SlotValues.h"

#include "settings/Ini.h"
#include "settings/IniKeys.h"

SlotValues SlotValues::ReadFromCor()
{
    SlotValues v;
    v.useDefectView = g_Ini.GetInt(kCor, "UseDefectView", 0);
    v.crossDefectLevel = g_Ini.GetInt(kCor, "CrossDefectLeve", 3);
    v.gain = g_Ini.GetString(kCor, "Gain", "Gain");
    v.offset = g_Ini.GetString(kCor, "Offset", "Offset");
    v.defectmap = g_Ini.GetString(kCor, "Defectmap", "Defectmap");
    v.makeRawPath = g_Ini.GetString(kCor, "MakeRawPath", "C:\\origin.raw");
    return v;
}

void SlotValues::WriteDefectView(const char* section) const
{
    g_Ini.WriteInt(section, "UseDefectView", useDefectView);
    g_Ini.WriteInt(section, "CrossDefectLeve", crossDefectLevel);
}

void SlotValues::WriteFiles(const char* section) const
{
    g_Ini.WriteString(section, "Gain", gain);
    g_Ini.WriteString(section, "Offset", offset);
    g_Ini.WriteString(section, "Defectmap", defectmap);
    g_Ini.WriteString(section, "MakeRawPath", makeRawPath);
}

void WriteFamilyKeys(const char* section, int deviceId)
{
    if (deviceId == 8)
        g_Ini.WriteString(section, "Path", g_Ini.GetString(kDetectorVatech, kLibPath, ""));
    else if (deviceId == 3)
        g_Ini.WriteInt(section, kDetType, g_Ini.GetInt(kDetectorDrtech, "DevType", 0));
    else if (deviceId == 13)
        g_Ini.WriteInt(section, kDetType, g_Ini.GetInt(kDetDrtech, kDetType, 0));
}
