#include "pages/detectors/DetectorVarian.h"
#include "ui_DetectorVarian.h"

#include "ui/FolderPicker.h"
#include "ini/CodePage.h"
#include "ui/PageFactory.h"

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

constexpr int kTypeList[2] = {1054, 1059};
constexpr int kModeEdit[2] = {1064, 1065};

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
    SetDigitsOnly({1041, 1042, 1060, 1061, 1057, 1058, 1062, 1063, 1064, 1065});
    for (int id : kTypeList) {
        for (const PanelType& type : kPanelTypes)
            AddString(id, type.text);
    }
    ConnectModality();
    OnSelChange(kTypeList[PanelA], [this] { OnSelchangeType(PanelA); });
    OnSelChange(kTypeList[PanelB], [this] { OnSelchangeType(PanelB); });
    OnClicked(1051, [this] { OnBrowse(1030); });
    OnClicked(1052, [this] { OnBrowse(1031); });

    Load();
    ApplySlotPosition();
    return true;
}

void CDetectorVarian::Load()
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

    SetDlgItemText(1030, ini.GetString(section, m_keys.setupA, ""));
    SetDlgItemText(1031, ini.GetString(section, m_keys.setupB, ""));
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
    ini.WriteString(m_keys.section, m_keys.setupA, GetDlgItemText(1030));
    ini.WriteString(m_keys.section, m_keys.setupB, dual ? GetDlgItemText(1031) : QByteArray());
    ini.WriteString(m_keys.section, m_keys.countKey, dual ? m_keys.countDual : m_keys.countSingle);
    ini.WriteInt("SYSTEM", "Modality Mode", modality);
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
