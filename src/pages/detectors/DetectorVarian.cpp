#include "pages/detectors/DetectorVarian.h"
#include "ui_DetectorVarian.h"

#include "ini/CodePage.h"
#include "settings/IniKeys.h"
#include "ui/FolderPicker.h"

namespace {

const VarianKeys kVarianKeys = {
    "DetVarian", "A_DetType", "B_DetType", {"A_MarginX", "A_MarginY", "B_MarginX", "B_MarginY"},
    false,       "A_ConfDir", "B_ConfDir", "A_ModeNum",
    "B_ModeNum", 0,           true,        "B_Append",
    "0",         "1",         {},
};

struct PanelType {
    const char* text;
    int width;
    int height;
};
// By list index; anything but "1417" is taken as "1717".
constexpr PanelType kPanelTypes[] = {{"1717", 3072, 3072}, {"1417", 2560, 3072}};

enum : int {
    kBrowseA = 1051,
    kBrowseB = 1052,
    kModeNumberA = 1064,
    kModeNumberB = 1065,
};

constexpr int kTypeList[2] = {kTypeA, kTypeB};
constexpr int kModeEdit[2] = {kModeNumberA, kModeNumberB};

} // namespace

CDetectorVarian::CDetectorVarian(const PageContext& context)
    : CDetectorTwoPanel(1038, context), m_keys(kVarianKeys),
      m_ui(std::make_unique<Ui::DetectorVarian>())
{
}

CDetectorVarian::CDetectorVarian(int templateId, const VarianKeys& keys,
                                 const PageContext& context)
    : CDetectorTwoPanel(templateId, context), m_keys(keys)
{
}

CDetectorVarian::~CDetectorVarian() = default;

void CDetectorVarian::SetupUi()
{
    m_ui->setupUi(this);
}

bool CDetectorVarian::OnInitDialog()
{
    SetHidden(m_keys.hidden);
    SetDigitsOnly({kWidthA, kHeightA, kCutXA, kCutYA, kWidthB, kHeightB, kCutXB, kCutYB,
                   kModeNumberA, kModeNumberB});
    for (int id : kTypeList) {
        for (const PanelType& type : kPanelTypes)
            AddString(id, type.text);
    }
    ConnectModality();
    OnSelChange(kTypeList[PanelA], [this] { OnSelchangeType(PanelA); });
    OnSelChange(kTypeList[PanelB], [this] { OnSelchangeType(PanelB); });
    OnClicked(kBrowseA, [this] { OnBrowse(kFirstField); });
    OnClicked(kBrowseB, [this] { OnBrowse(kSecondField); });

    LoadSettings();
    ApplySlotPosition();
    return true;
}

void CDetectorVarian::LoadSettings()
{
    const CIni ini(MainIniPath().constData());
    const char* section = m_keys.section;
    if (m_keys.typeA) {
        SetCurSel(kTypeList[PanelA], ini.GetInt(section, m_keys.typeA, 0) == 1 ? 1 : 0);
        SetCurSel(kTypeList[PanelB], ini.GetInt(section, m_keys.typeB, 0) == 1 ? 1 : 0);
    }
    m_panel[PanelA].cutX = ini.GetInt(section, m_keys.margins[0], 0);
    m_panel[PanelA].cutY = ini.GetInt(section, m_keys.margins[1], 0);
    m_panel[PanelB].cutX = ini.GetInt(section, m_keys.margins[2], 0);
    m_panel[PanelB].cutY = ini.GetInt(section, m_keys.margins[3], 0);
    ClampMargins();
    OnSelchangeType(PanelA);
    OnSelchangeType(PanelB);

    SetDlgItemText(kFirstField, ini.GetString(section, m_keys.setupA, ""));
    SetDlgItemText(kSecondField, ini.GetString(section, m_keys.setupB, ""));
    LoadModality();
    SetDlgItemInt(kModeEdit[PanelA], ini.GetInt(section, m_keys.modeA, m_keys.modeDefault));
    SetDlgItemInt(kModeEdit[PanelB], ini.GetInt(section, m_keys.modeB, m_keys.modeDefault));
}

void CDetectorVarian::OnSelchangeType(Panel panel)
{
    const PanelType& type = kPanelTypes[GetCurSel(kTypeList[panel]) == 1 ? 1 : 0];
    SetPanelSize(panel, type.width, type.height);
}

void CDetectorVarian::OnBrowse(int editId)
{
    QString start = FromCodePage(GetDlgItemText(editId));
    if (start.isEmpty())
        start = QStringLiteral("C:\\IMAGERs");
    CFolderPicker picker(this);
    if (picker.Browse(start))
        SetDlgItemText(editId, picker.GetPathBytes());
}

void CDetectorVarian::OnOK()
{
    MainIniSave save;
    const CIni& ini = save.Ini();
    // A field that is not a number has had its message; the save goes on.
    TakePanels();
    ClampMargins();
    SaveNumbers(ini);

    const int modality = SavedModality();
    const bool dual = modality == 2;
    ini.WriteString(m_keys.section, m_keys.setupA, GetDlgItemText(kFirstField));
    ini.WriteString(m_keys.section, m_keys.setupB, dual ? GetDlgItemText(kSecondField) : QByteArray());
    ini.WriteString(m_keys.section, m_keys.countKey, dual ? m_keys.countDual : m_keys.countSingle);
    ini.WriteInt(kSystem, kModalityMode, modality);
}

void CDetectorVarian::SaveNumbers(const CIni& ini)
{
    const char* section = m_keys.section;
    if (m_keys.typeA) {
        ini.WriteInt(section, m_keys.typeA, GetCurSel(kTypeList[PanelA]) == 1 ? 1 : 0);
        ini.WriteInt(section, m_keys.typeB, GetCurSel(kTypeList[PanelB]) == 1 ? 1 : 0);
    }
    const int margins[] = {m_panel[PanelA].cutX, m_panel[PanelA].cutY, m_panel[PanelB].cutX,
                           m_panel[PanelB].cutY};
    for (int i = 0; i < 4; ++i) {
        if (margins[i] != 0 || !m_keys.keepZeroMargins)
            ini.WriteInt(section, m_keys.margins[i], margins[i]);
    }
    const char* modeKeys[] = {m_keys.modeA, m_keys.modeB};
    for (int p = PanelA; p <= PanelB; ++p) {
        int mode = GetDlgItemInt(kModeEdit[p]);
        if (m_keys.modeInRange && (mode < 0 || mode > 2))
            mode = 0;
        ini.WriteInt(section, modeKeys[p], mode);
    }
}

IMPLEMENT_PAGE(CDetectorVarian)
