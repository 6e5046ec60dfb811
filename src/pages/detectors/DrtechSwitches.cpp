#include "pages/detectors/DrtechSwitches.h"

#include "pages/Page.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"

namespace {

constexpr Binding kSwitches[] = {
    ListBinding(kOpenTime, kDetectorDrtech, "OpenTime"),
    ListBinding(kOpenTime, kDetDrtech, "OpenTime"),
    CheckBinding(kExposureControl, kDetectorDrtech, "CtrlExp"),
    CheckBinding(kExposureControl, kDetDrtech, "CtrlExp"),
    CheckBinding(kSound, kDetectorDrtech, "SndExp"),
    CheckBinding(kSound, kDetectorDrtech, "SndFal"),
    CheckBinding(kSound, kDetectorDrtech, "SndRdy"),
    CheckBinding(kSound, kDetDrtech, "SndExp"),
};

} // namespace

void SaveDrtechSwitches(const CPage& page, bool beep)
{
    page.Save(kSwitches);
    if (beep)
        g_Ini.WriteInt(kDetDrtech, "beep", page.IsDlgButtonChecked(kSound));
}
