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
    d.pixelSpacing = g_Ini.GetString("Cor", "PixelSpacing", "0.143");
    d.values = SlotValues::ReadFromCor();
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
    d.values.WriteDefectView("Cor1");
    g_Ini.WriteString("Cor1", "PixelSpacing", d.pixelSpacing);
    d.values.WriteFiles("Cor1");
    WriteFamilyKeys("Cor1", d.device);
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
    d.values.WriteDefectView("Cor2");
    d.values.WriteFiles("Cor2");
}
