#include "pages/detectors/DetectorVadav.h"
#include "ui_DetectorVadav.h"

#include <QFileInfo>

#include "ini/CodePage.h"
#include "pages/Veterinary.h"
#include "pages/detectors/SizeStepping.h"
#include "settings/AppPaths.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"
#include "settings/Workstation.h"
#include "ui/FolderPicker.h"
#include "ui/MessageBox.h"

namespace {

enum : int {
    kSwitchUseLog = 1016,
    kSwitchPrinterPort = 1017,
    kSwitchCorrection = 1018,
    kBrowse = 1029,
    kStandAddress = 1030,
    kTableAddress = 1031,
    kStandRadio = 1032,
    kTableRadio = 1033,
    kFullRadio = 1034,
    kStandLabel = 1035,
    kTableLabel = 1036,
    kSensorWidth = 1037,
    kSensorHeight = 1038,
    kImageWidth = 1041,
    kImageHeight = 1042,
    kRotate = 1043,
    kFlipVert = 1044,
    kFlipHorz = 1045,
    kModalityLabel = 1046,
    kLibraryPath = 1048,
    kWidthArrows = 1049,
    kHeightArrows = 1050,
    kSameSize = 1053,
};

constexpr const char* kSection = kDetectorVatech;

constexpr Binding kLibraryPathKey = TextBinding(kLibraryPath, kSection, kLibPath);
constexpr Binding kStandAddressKey = TextBinding(kStandAddress, kSection, "DetIP_1");
constexpr Binding kTableAddressKey = TextBinding(kTableAddress, kSection, "DetIP_2");

// Check boxes stored with a value of their own for each state; a box loads
// checked only when the stored value is exactly its checked value.
constexpr Binding kSwitches[] = {
    CheckBinding(kSwitchCorrection, kSection, "UseCal", 1, 0, 1),
    CheckBinding(kSwitchUseLog, kSection, "UseLog", 0, 1, 0),
    CheckBinding(kSwitchPrinterPort, kSection, "Mode", 0, 0, 2),
};

} // namespace

IMPLEMENT_PAGE(CDetectorVadav)

CDetectorVadav::CDetectorVadav(const PageContext& context) : CDetectorVadav(135, context)
{
    m_ui = std::make_unique<Ui::DetectorVadav>();
}

CDetectorVadav::CDetectorVadav(int templateId, const PageContext& context)
    : CDetector(templateId, context), m_nSlotIndex(context.slotIndex)
{
}

CDetectorVadav::~CDetectorVadav() = default;

void CDetectorVadav::SetupUi()
{
    m_ui->setupUi(this);
    m_ui->hiddenControls->hide(); // 1037 and 1038 hold the sensor size out of sight
}

bool CDetectorVadav::OnInitDialog()
{
    ConnectModality();
    ConnectImageHandlers();
    OnClicked(kBrowse, [this] { OnBrowse(); });
    for (const char* item : {"None", "90CCW", "90CW"})
        AddString(kRotate, item);

    Load(kLibraryPathKey);
    Load(kStandAddressKey);
    Load(kTableAddressKey);
    LoadSizes();
    Load(kSwitches);
    LoadModality();

    const int rotation = g_Ini.GetInt(kSection, "Rotation", 0);
    SetCurSel(kRotate, rotation >= 0 && rotation <= 2 ? rotation : 0);
    const int flip = g_Ini.GetInt(kSection, "Flip", 0);
    if (flip >= 0 && flip <= 3) {
        CheckDlgButton(kFlipHorz, flip & 1);
        CheckDlgButton(kFlipVert, (flip & 2) ? 1 : 0);
    }

    if (IsAnyVet(ReadVetKind()))
        ApplyVetLayout();
    ApplySlotPosition();
    return true;
}

void CDetectorVadav::ConnectImageHandlers()
{
    OnDeltaPos(kWidthArrows, [this](int delta) { OnDeltaposWidth(delta); });
    OnDeltaPos(kHeightArrows, [this](int delta) { OnDeltaposHeight(delta); });
    OnClicked(kSameSize, [this] { OnSameSize(); });
    OnSelChange(kRotate, [this] { OnSelchangeRotate(); });
}

void CDetectorVadav::LoadSizes()
{
    m_nOriW = g_Ini.GetInt(kCor, kOriW, 0);
    m_nOriH = g_Ini.GetInt(kCor, kOriH, 0);
    m_nWidth = RoundDown4(ClampImageSize(g_Ini.GetInt(kCor, kWidth, 0), m_nOriW));
    m_nHeight = RoundDown4(ClampImageSize(g_Ini.GetInt(kCor, kHeight, 0), m_nOriH));
    SetDlgItemInt(kSensorWidth, m_nOriW);
    SetDlgItemInt(kSensorHeight, m_nOriH);
    PutImageSize();
}

// A veterinary workstation has one detector at the stand.
void CDetectorVadav::ApplyVetLayout()
{
    SetModality(0, false);
    for (int id :
         {kModalityLabel, kStandRadio, kTableRadio, kFullRadio, kTableLabel, kTableAddress})
        ShowDlgItem(id, false);
    SetDlgItemText(kStandLabel, "IP :");
}

void CDetectorVadav::TakeImageSize()
{
    m_nWidth = GetDlgItemInt(kImageWidth);
    m_nHeight = GetDlgItemInt(kImageHeight);
}

void CDetectorVadav::PutImageSize()
{
    SetDlgItemInt(kImageWidth, m_nWidth);
    SetDlgItemInt(kImageHeight, m_nHeight);
}

void CDetectorVadav::OnModalityButton(int mode)
{
    EnableDlgItem(kStandAddress, mode != 1);
    EnableDlgItem(kTableAddress, mode != 0);
}

void CDetectorVadav::OnDeltaposWidth(int delta)
{
    TakeImageSize();
    m_nWidth = StepImageSize(m_nWidth, m_nOriW, delta);
    if (IsDlgButtonChecked(kSameSize))
        m_nHeight = StepImageSize(m_nWidth, m_nOriH, 0);
    PutImageSize();
}

void CDetectorVadav::OnDeltaposHeight(int delta)
{
    TakeImageSize();
    m_nHeight = StepImageSize(m_nHeight, m_nOriH, delta);
    PutImageSize();
}

void CDetectorVadav::OnSameSize()
{
    if (IsDlgButtonChecked(kSameSize)) {
        EnableDlgItem(kImageHeight, false);
        OnDeltaposWidth(0);
    } else {
        EnableDlgItem(kImageHeight, true);
    }
}

// A rotated image must be square.
void CDetectorVadav::OnSelchangeRotate()
{
    if (GetCurSel(kRotate) != 0) {
        CheckDlgButton(kSameSize, 1);
        EnableDlgItem(kSameSize, false);
        OnSameSize();
    } else if (!IsDlgItemEnabled(kSameSize)) {
        EnableDlgItem(kSameSize, true);
    }
}

void CDetectorVadav::OnBrowse()
{
    CFolderPicker picker(this);
    if (!picker.Browse(FromCodePage(GetDlgItemText(kLibraryPath))))
        return;
    SetDlgItemText(kLibraryPath, picker.GetPathBytes());
    if (!QFileInfo::exists(FindNoCase(picker.GetPath(), QStringLiteral("VADAV.DLL"))))
        AfxMessageBox(QStringLiteral("XMaru library is not found.\r\n"
                                     "Please select correct XMaru library path."),
                      this);
}

void CDetectorVadav::WriteImageSize(const char* section) const
{
    g_Ini.WriteInt(section, kWidth, ClampImageSize(GetDlgItemInt(kImageWidth), m_nOriW));
    g_Ini.WriteInt(section, kHeight, ClampImageSize(GetDlgItemInt(kImageHeight), m_nOriH));
}

void CDetectorVadav::OnOK()
{
    if (ThisWorkstation().multiDetector)
        SaveMulti();
    else
        SaveSingle();
}

void CDetectorVadav::SaveSingle()
{
    Save(kLibraryPathKey);
    WriteImageSize(kCor);
    // A single detector's address goes to both keys.
    const int mode = CheckedModality();
    g_Ini.WriteString(kSection, kStandAddressKey.key,
                      GetDlgItemText(mode == 1 ? kTableAddress : kStandAddress));
    g_Ini.WriteString(kSection, kTableAddressKey.key,
                      GetDlgItemText(mode == 0 ? kStandAddress : kTableAddress));
    g_Ini.WriteInt(kSystem, kModalityMode, mode);
    g_Ini.WriteInt(kSystem, kCurrentModality, mode == 1 ? 2 : 1);
    SaveSwitches();
}

// Each of two detectors owns one address key: the first the stand's, the
// second the table's.
void CDetectorVadav::SaveMulti()
{
    const char* slotSection = m_nSlotIndex == 0 ? kCor1 : kCor2;
    g_Ini.WriteString(slotSection, "Path", GetDlgItemText(kLibraryPath));
    WriteImageSize(slotSection);
    if (m_nSlotIndex == 0) {
        Save(kLibraryPathKey);
        WriteImageSize(kCor);
        Save(kStandAddressKey);
    } else {
        Save(kTableAddressKey);
    }
    SaveSwitches();
}

void CDetectorVadav::SaveSwitches()
{
    Save(kSwitches);
    const int rotation = GetCurSel(kRotate);
    g_Ini.WriteInt(kSection, "Rotation", rotation < 0 ? 0 : rotation);
    const int flip =
        (IsDlgButtonChecked(kFlipHorz) ? 1 : 0) | (IsDlgButtonChecked(kFlipVert) ? 2 : 0);
    g_Ini.WriteInt(kSection, "Flip", flip);
}
