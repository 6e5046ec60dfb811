#include "pages/detectors/DetectorOuter.h"

#include "ui_DetectorOuter.h"

#include <iterator>
#include <utility>

#include "pages/Veterinary.h"
#include "pages/detectors/Margins.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"
#include "settings/Workstation.h"

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

enum : int {
    kLagTypeB = 1010,
    kAedB = 1011,
    kOffsetB = 1012,
    kCropXB = 1043,
    kCropYB = 1044,
    kRunApplication = 1052,
    kCropXA = 1134,
    kCropYA = 1135,
    kLagTypeLabel = 1143,
    kLagTypeA = 1144,
    kAedLabel = 1145,
    kOffsetLabel = 1146,
    kAedA = 1147,
    kOffsetA = 1148,
};

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
constexpr CropField kCrops[] = {
    {kCropXA, "A_", 0}, {kCropYA, "A_", 1}, {kCropXB, "B_", 0}, {kCropYB, "B_", 1}};

// A pair of lists, one per detector, stored as <prefix><key>.
struct ListPair {
    int listA;
    int listB;
    const char* key;
    bool aed; // 1 selects "AED", anything else "NOT"; otherwise the value is the index
};

// In write order.
constexpr ListPair kTetdLists[] = {{kLagTypeA, kLagTypeB, "LAG_TYPE", false},
                                   {kAedA, kAedB, "USE_AED", true},
                                   {kOffsetA, kOffsetB, "OFFSET", false}};
constexpr ListPair kTypeLists[] = {{kLagTypeA, kLagTypeB, "TYPE", false}};

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

constexpr int kDetectorBControls[] = {kCropXB, kCropYB, kLagTypeB, kAedB, kOffsetB};
constexpr int kExtraControls[] = {kLagTypeLabel, kLagTypeA, kLagTypeB, kAedLabel, kAedA,
                                  kAedB,         kOffsetLabel, kOffsetA, kOffsetB};

QByteArray Key(const char* prefix, const char* key)
{
    return QByteArray(prefix) + key;
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
    ShowDlgItem(kRunApplication, false);
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
        AddString(kLagTypeA, item);
    for (const char* item : {"TYPE 1", "TYPE 2", "TYPE 3"})
        AddString(kLagTypeB, item);
    for (int id : {kAedA, kAedB}) {
        AddString(id, "NOT");
        AddString(id, "AED");
    }
    for (int id : {kOffsetA, kOffsetB}) {
        for (const char* item : {"Auto", "Manual", "Dynamic"})
            AddString(id, item);
    }
}

void CDetectorOuter::LoadExtras(const OuterFamily& family)
{
    if (family.extras == OuterExtras::None)
        return;
    if (family.extras == OuterExtras::DetectorTypes) {
        SetDlgItemText(kLagTypeLabel, "Detector Type :");
        for (int id : {kLagTypeA, kLagTypeB}) {
            ResetContent(id);
            for (const char* item : {"VENU", "MARS1717", "MARS1417"})
                AddString(id, item);
        }
    } else {
        for (int id : {kAedLabel, kOffsetLabel, kAedA, kAedB, kOffsetA, kOffsetB})
            ShowDlgItem(id, true);
    }
    for (int id : {kLagTypeLabel, kLagTypeA, kLagTypeB})
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
    const bool vet = IsPetVet(ReadVetKind());
    SaveModality();
    if (vet) {
        g_Ini.WriteInt(kDetectorDrtech, kDualMode, 0);
        g_Ini.WriteInt(kDetDrtech, kDetMode, 0);
        g_Ini.WriteInt(kIrayLibrary, kConnectMode, 0);
        g_Ini.WriteInt(kSystem, kModalityMode, 2);
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
            g_Ini.WriteInt(kControlPanel, kUseModeAed, 1);
    }
    if (ThisWorkstation().multiDetector) {
        g_Ini.WriteInt(kSystem, kModalityMode, 2);
        if (family && family->extras == OuterExtras::TetdLists)
            g_Ini.WriteInt(family->section, "DETECTOR_COUNT", 1);
    }
}

void CDetectorOuter::SaveModality()
{
    if (IsDlgButtonChecked(Modality().both)) {
        g_Ini.WriteInt(kIrayLibrary, kConnectMode, 1);
        g_Ini.WriteInt(kSystem, kModalityMode, 2);
        return;
    }
    const bool single =
        IsDlgButtonChecked(Modality().stand) || IsDlgButtonChecked(Modality().table);
    g_Ini.WriteInt(kSystem, kModalityMode, CheckedModality());
    if (single)
        g_Ini.WriteInt(kIrayLibrary, kConnectMode, 0);
    // A single detector has no B crops: they are saved, and shown, as 0.
    SetDlgItemText(kCropXB, "0");
    SetDlgItemText(kCropYB, "0");
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
