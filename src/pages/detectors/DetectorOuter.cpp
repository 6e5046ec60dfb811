#include "pages/detectors/DetectorOuter.h"

#include "ui_DetectorOuter.h"

#include "app/SetUpApp.h"
#include "pages/detectors/Margins.h"
#include "ui/PageFactory.h"
#include "settings/Ini.h"

#include <iterator>
#include <utility>

enum class OuterExtras {
    None,
    // Lag, AED and offset type per detector, and DETECTOR_COUNT.
    TetdLists,
    // Detector type per detector, and [CONTROLPANNEL] UseModeAED.
    DetectorTypes,
};

struct OuterFamily {
    int deviceId;
    const char* section;
    // Without the A_/B_ prefix: left, right, top, bottom. The left-and-right
    // field is read from the first key and written to the first two; null when
    // the family keeps one key per axis.
    const char* cropKeys[4];
    // The right and bottom keys are written 0 instead of the crop.
    bool zeroSecondCut;
    OuterExtras extras;
};

namespace {

constexpr OuterFamily kFamilies[] = {
    {16, "DET_VIEWORKS", {"CUTTING_X", nullptr, "CUTTING_Y", nullptr}, false, OuterExtras::None},
    {18,
     "DETTETDFPD",
     {"MARGIN_LEFT", "MARGIN_RIGHT", "MARGIN_TOP", "MARGIN_BOTTOM"},
     false,
     OuterExtras::TetdLists},
    {19, "DETIRAYVENU", {"MARGIN_L", "MARGIN_R", "MARGIN_T", "MARGIN_B"}, false, OuterExtras::None},
    {24, "IRAYFPDLIB", {"CUT_L", "CUT_R", "CUT_T", "CUT_B"}, true, OuterExtras::DetectorTypes},
};

const OuterFamily* FindFamily(int deviceId)
{
    for (const OuterFamily& family : kFamilies) {
        if (family.deviceId == deviceId)
            return &family;
    }
    return nullptr;
}

struct CropField {
    int id;
    const char* prefix;
    int axis; // 0 left and right, 1 top and bottom
};

// In write order.
constexpr CropField kCrops[] = {{1134, "A_", 0}, {1135, "A_", 1}, {1043, "B_", 0}, {1044, "B_", 1}};

// A pair of lists, one per detector, stored as <prefix><key>.
struct ListPair {
    int listA;
    int listB;
    const char* key;
    bool aed; // 1 selects "AED", anything else "NOT"; otherwise the value is the index
};

// In write order.
constexpr ListPair kTetdLists[] = {
    {1144, 1010, "LAG_TYPE", false}, {1147, 1011, "USE_AED", true}, {1148, 1012, "OFFSET", false}};
constexpr ListPair kTypeLists[] = {{1144, 1010, "TYPE", false}};

struct ListSet {
    const ListPair* first;
    const ListPair* last;
    const ListPair* begin() const { return first; }
    const ListPair* end() const { return last; }
};

ListSet ListsOf(OuterExtras extras)
{
    switch (extras) {
    case OuterExtras::TetdLists:
        return {std::begin(kTetdLists), std::end(kTetdLists)};
    case OuterExtras::DetectorTypes:
        return {std::begin(kTypeLists), std::end(kTypeLists)};
    case OuterExtras::None:
        break;
    }
    return {nullptr, nullptr};
}

using Side = std::pair<int, const char*>; // list, key prefix

constexpr int kDetectorBControls[] = {1043, 1044, 1010, 1011, 1012};
constexpr int kExtraControls[] = {1143, 1144, 1010, 1145, 1147, 1011, 1146, 1148, 1012};

QByteArray Key(const char* prefix, const char* key)
{
    return QByteArray(prefix) + key;
}

bool IsVet()
{
    return g_Ini.GetInt("SYSTEM", "IsVet", 0) == 1;
}

} // namespace

CDetectorOuter::CDetectorOuter(const PageContext& context)
    : CDetector(1040, context), m_nDeviceId(context.deviceId),
      m_ui(std::make_unique<Ui::DetectorOuter>())
{
}

CDetectorOuter::~CDetectorOuter() = default;

void CDetectorOuter::SetupUi()
{
    m_ui->setupUi(this);
}

bool CDetectorOuter::OnInitDialog()
{
    ShowDlgItem(1052, false);
    for (int id : kExtraControls)
        ShowDlgItem(id, false);
    for (const CropField& crop : kCrops)
        SetDigitsOnly(crop.id);
    FillLists();
    ConnectModality();

    LoadModality(/*honourVet=*/true);
    if (const OuterFamily* family = FindFamily(m_nDeviceId)) {
        LoadExtras(*family);
        for (const CropField& crop : kCrops) {
            const char* key = family->cropKeys[crop.axis * 2];
            ShowMargin(*this, crop.id, g_Ini.GetInt(family->section, Key(crop.prefix, key), 0));
        }
    }
    ApplySlotPosition();
    return true;
}

void CDetectorOuter::FillLists()
{
    for (const char* item : {"TYPE 1", "TYPE 2", "TYPE 3", "AUTO"})
        AddString(1144, item);
    for (const char* item : {"TYPE 1", "TYPE 2", "TYPE 3"})
        AddString(1010, item);
    for (int id : {1147, 1011}) {
        AddString(id, "NOT");
        AddString(id, "AED");
    }
    for (int id : {1148, 1012}) {
        for (const char* item : {"Auto", "Manual", "Dynamic"})
            AddString(id, item);
    }
}

void CDetectorOuter::LoadExtras(const OuterFamily& family)
{
    if (family.extras == OuterExtras::None)
        return;
    if (family.extras == OuterExtras::DetectorTypes) {
        SetDlgItemText(1143, "Detector Type :");
        for (int id : {1144, 1010}) {
            ResetContent(id);
            for (const char* item : {"VENU", "MARS1717", "MARS1417"})
                AddString(id, item);
        }
    } else {
        for (int id : {1145, 1146, 1147, 1011, 1148, 1012})
            ShowDlgItem(id, true);
    }
    for (int id : {1143, 1144, 1010})
        ShowDlgItem(id, true);

    for (const ListPair& pair : ListsOf(family.extras)) {
        for (const auto& [list, prefix] : {Side{pair.listA, "A_"}, Side{pair.listB, "B_"}}) {
            const int value = g_Ini.GetInt(family.section, Key(prefix, pair.key), 0);
            // An index the list does not hold leaves it without a selection.
            SetCurSel(list, pair.aed ? (value == 1 ? 1 : 0) : value);
        }
    }
}

// Detector B exists only in the dual set-up.
void CDetectorOuter::OnModalityButton(int mode)
{
    for (int id : kDetectorBControls)
        EnableDlgItem(id, mode == 2);
}

void CDetectorOuter::OnOK()
{
    const bool vet = IsVet();
    SaveModality();
    if (vet) {
        g_Ini.WriteInt("DetectorDRTech", "DualMode", 0);
        g_Ini.WriteInt("DetDrtech", "DetMode", 0);
        g_Ini.WriteInt("IRAYFPDLIB", "CONNECT_MODE", 0);
        g_Ini.WriteInt("SYSTEM", "Modality Mode", 2);
    }
    const OuterFamily* family = FindFamily(m_nDeviceId);
    if (family) {
        if (family->extras == OuterExtras::DetectorTypes)
            SaveLists(*family);
        SaveCrops(*family);
        if (family->extras == OuterExtras::TetdLists) {
            const bool dual = IsDlgButtonChecked(Modality().both) && !vet;
            g_Ini.WriteInt(family->section, "DETECTOR_COUNT", dual ? 2 : 1);
            SaveLists(*family);
        }
        if (family->extras == OuterExtras::DetectorTypes)
            g_Ini.WriteInt("CONTROLPANNEL", "UseModeAED", 1);
    }
    if (theApp.m_bUseMultiCor == 1) {
        g_Ini.WriteInt("SYSTEM", "Modality Mode", 2);
        if (family && family->extras == OuterExtras::TetdLists)
            g_Ini.WriteInt(family->section, "DETECTOR_COUNT", 1);
    }
}

void CDetectorOuter::SaveModality()
{
    if (IsDlgButtonChecked(Modality().both)) {
        g_Ini.WriteInt("IRAYFPDLIB", "CONNECT_MODE", 1);
        g_Ini.WriteInt("SYSTEM", "Modality Mode", 2);
        return;
    }
    const bool single =
        IsDlgButtonChecked(Modality().stand) || IsDlgButtonChecked(Modality().table);
    g_Ini.WriteInt("SYSTEM", "Modality Mode", CheckedModality());
    if (single)
        g_Ini.WriteInt("IRAYFPDLIB", "CONNECT_MODE", 0);
    // A single detector has no B crops: they are saved, and shown, as 0.
    SetDlgItemText(1043, "0");
    SetDlgItemText(1044, "0");
}

void CDetectorOuter::SaveCrops(const OuterFamily& family)
{
    for (const CropField& crop : kCrops) {
        const int value = ReadMargin(*this, crop.id);
        const char* first = family.cropKeys[crop.axis * 2];
        const char* second = family.cropKeys[crop.axis * 2 + 1];
        g_Ini.WriteInt(family.section, Key(crop.prefix, first), value);
        if (second)
            g_Ini.WriteInt(family.section, Key(crop.prefix, second),
                           family.zeroSecondCut ? 0 : value);
    }
}

void CDetectorOuter::SaveLists(const OuterFamily& family)
{
    for (const ListPair& pair : ListsOf(family.extras)) {
        for (const auto& [list, prefix] : {Side{pair.listA, "A_"}, Side{pair.listB, "B_"}}) {
            const int sel = GetCurSel(list);
            g_Ini.WriteInt(family.section, Key(prefix, pair.key),
                           pair.aed ? (sel == 1 ? 1 : 0) : sel);
        }
    }
}

IMPLEMENT_PAGE(CDetectorOuter)
