#include "pages/detectors/DrtechSwitches.h"

#include "ui/Dialog.h"
#include "settings/Ini.h"

namespace {

enum class Rule { Selection, Check };

struct SwitchKey {
    int id;
    const char* section;
    const char* key;
    Rule rule;
};

const SwitchKey kSwitchKeys[] = {
    {1009, "DetectorDRTech", "OpenTime", Rule::Selection},
    {1009, "DetDrtech", "OpenTime", Rule::Selection},
    {1016, "DetectorDRTech", "CtrlExp", Rule::Check},
    {1016, "DetDrtech", "CtrlExp", Rule::Check},
    {1054, "DetectorDRTech", "SndExp", Rule::Check},
    {1054, "DetectorDRTech", "SndFal", Rule::Check},
    {1054, "DetectorDRTech", "SndRdy", Rule::Check},
    {1054, "DetDrtech", "SndExp", Rule::Check},
};

} // namespace

void SaveDrtechSwitches(const CDialog& page, bool beep)
{
    for (const SwitchKey& k : kSwitchKeys) {
        const int value =
            k.rule == Rule::Selection ? page.GetCurSel(k.id) : page.IsDlgButtonChecked(k.id);
        g_Ini.WriteInt(k.section, k.key, value);
    }
    if (beep)
        g_Ini.WriteInt("DetDrtech", "beep", page.IsDlgButtonChecked(1054));
}
