#include "pages/system/DetectorSlots.h"

#include "settings/Ini.h"

FirstDetector ReadFirstDetector()
{
    FirstDetector d;
    d.device = g_Ini.GetInt("CONTROLPANNEL", "Device", 8);
    d.libPath = g_Ini.GetString("DetectorVatech", "LibPath", "C:\\Corvina");
    d.oriW = g_Ini.GetInt("Cor", "OriW", 3072);
    d.oriH = g_Ini.GetInt("Cor", "OriH", 3072);
    d.width = g_Ini.GetInt("Cor", "Width", 3072);
    d.height = g_Ini.GetInt("Cor", "Height", 3072);
    d.useDefectView = g_Ini.GetInt("Cor", "UseDefectView", 0);
    d.crossDefectLevel = g_Ini.GetInt("Cor", "CrossDefectLeve", 3);
    d.pixelSpacing = g_Ini.GetString("Cor", "PixelSpacing", "0.143");
    d.gain = g_Ini.GetString("Cor", "Gain", "Gain");
    d.offset = g_Ini.GetString("Cor", "Offset", "Offset");
    d.defectmap = g_Ini.GetString("Cor", "Defectmap", "Defectmap");
    d.makeRawPath = g_Ini.GetString("Cor", "MakeRawPath", "C:\\origin.raw");
    return d;
}

void WriteFirstSlot(const FirstDetector& d)
{
    g_Ini.WriteInt("Cor1", "Device", d.device);
    g_Ini.WriteString("Cor1", "Path", d.libPath);
    g_Ini.WriteInt("Cor1", "OriW", d.oriW);
    g_Ini.WriteInt("Cor1", "OriH", d.oriH);
    g_Ini.WriteInt("Cor1", "Width", d.width);
    g_Ini.WriteInt("Cor1", "Height", d.height);
    g_Ini.WriteInt("Cor1", "UseDefectView", d.useDefectView);
    g_Ini.WriteInt("Cor1", "CrossDefectLeve", d.crossDefectLevel);
    g_Ini.WriteString("Cor1", "PixelSpacing", d.pixelSpacing);
    g_Ini.WriteString("Cor1", "Gain", d.gain);
    g_Ini.WriteString("Cor1", "Offset", d.offset);
    g_Ini.WriteString("Cor1", "Defectmap", d.defectmap);
    g_Ini.WriteString("Cor1", "MakeRawPath", d.makeRawPath);
    // Some families keep the library folder or the type code elsewhere.
    if (d.device == 8)
        g_Ini.WriteString("Cor1", "Path", g_Ini.GetString("DetectorVatech", "LibPath", ""));
    else if (d.device == 3)
        g_Ini.WriteInt("Cor1", "DetType", g_Ini.GetInt("DetectorDRTech", "DevType", 0));
    else if (d.device == 13)
        g_Ini.WriteInt("Cor1", "DetType", g_Ini.GetInt("DetDrtech", "DetType", 0));
}

void WriteSecondSlot(const FirstDetector& d, bool copyFirst)
{
    if (copyFirst) {
        g_Ini.WriteInt("Cor2", "Device", d.device);
        g_Ini.WriteInt("Cor2", "OriW", d.oriW);
        g_Ini.WriteInt("Cor2", "OriH", d.oriH);
        g_Ini.WriteInt("Cor2", "Width", d.width);
        g_Ini.WriteInt("Cor2", "Height", d.height);
        g_Ini.WriteString("Cor2", "PixelSpacing", d.pixelSpacing);
    }
    g_Ini.WriteString("Cor2", "Path", d.libPath);
    g_Ini.WriteInt("Cor2", "UseDefectView", d.useDefectView);
    g_Ini.WriteInt("Cor2", "CrossDefectLeve", d.crossDefectLevel);
    g_Ini.WriteString("Cor2", "Gain", d.gain);
    g_Ini.WriteString("Cor2", "Offset", d.offset);
    g_Ini.WriteString("Cor2", "Defectmap", d.defectmap);
    g_Ini.WriteString("Cor2", "MakeRawPath", d.makeRawPath);
}
