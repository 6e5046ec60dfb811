#include "pages/detectors/DetectorPerkin.h"
#include "ui_DetectorPerkin.h"

#include "ini/CodePage.h"
#include "ui/PageFactory.h"
#include "ui/Pickers.h"

#include <cctype>

namespace {

constexpr const char* kSection = "DETPERKIN";

struct CalFile {
    int edit;
    int button;
    const char* key;
};
// Per panel: offset, gain, pixel map.
constexpr CalFile kCalFiles[2][3] = {
    {{1064, 1141, "A_DATA_OFST"}, {1067, 1066, "A_DATA_GAIN"}, {1069, 1068, "A_DATA_PIXL"}},
    {{1065, 1142, "B_DATA_OFST"}, {1071, 1070, "B_DATA_GAIN"}, {1073, 1072, "B_DATA_PIXL"}},
};

struct Field {
    int id;
    const char* key;
};
constexpr Field kGainSeq[2] = {{1074, "A_GAIN_SEQ"}, {1075, "B_GAIN_SEQ"}};
constexpr const char* kCutKeys[2][2] = {{"A_CUTX", "A_CUTY"}, {"B_CUTX", "B_CUTY"}};
// Switches kept in hidden check boxes, so that a save writes them back.
constexpr Field kSwitches[] = {{1146, "PRE_LOAD_RAW"},
                               {1145, "PRE_LOAD_CAL"},
                               {1019, "SET_PARAM_ACQ"},
                               {1020, "AUTO_TRIG_ON"}};

constexpr int kPanelWidth = 3556;
constexpr int kPanelHeight = 4320;

} // namespace

QByteArray ValidGainSeq(const QByteArray& text)
{
    const char* p = text.constData();
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    long long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)) && value <= 50; ++p)
        value = value * 10 + (*p - '0');
    if (negative)
        value = -value;
    return value >= 0 && value <= 50 ? text : QByteArray("0");
}

CDetectorPerkin::CDetectorPerkin(const PageContext& context)
    : CDetectorTwoPanel(1043, context), m_ui(std::make_unique<Ui::DetectorPerkin>())
{
}

CDetectorPerkin::~CDetectorPerkin() = default;

void CDetectorPerkin::SetupUi()
{
    m_ui->setupUi(this);
}

bool CDetectorPerkin::OnInitDialog()
{
    SetHidden({1139, 1140, 1040, 1051, 1054, 1059, 1145, 1146, 1019, 1020});
    SetDigitsOnly({1041, 1042, 1060, 1061, 1057, 1058, 1062, 1063, 1074, 1075});
    ConnectModality();
    for (const auto& panel : kCalFiles) {
        for (const CalFile& file : panel)
            OnClicked(file.button, [this, edit = file.edit] { OnCalFile(edit); });
    }
    Load();
    ApplySlotPosition();
    return true;
}

void CDetectorPerkin::Load()
{
    const CIni ini(MainIniPath().constData());
    m_strCalPath = ini.GetString("Cor", "Path", "C:\\VoraSuite\\Cor\\Channel");
    for (int p = PanelA; p <= PanelB; ++p) {
        for (const CalFile& file : kCalFiles[p])
            SetDlgItemText(file.edit, CollapseBackslashes(ini.GetString(kSection, file.key, "")));
        SetDlgItemText(kGainSeq[p].id, ValidGainSeq(ini.GetString(kSection, kGainSeq[p].key, "0")));
    }
    for (const Field& sw : kSwitches)
        CheckDlgButton(sw.id, ini.GetInt(kSection, sw.key, 0) == 1 ? 1 : 0);
    SetCurSel(1054, 0);
    SetCurSel(1059, 0);

    for (int p = PanelA; p <= PanelB; ++p) {
        m_panel[p].cutX = ini.GetInt(kSection, kCutKeys[p][0], 0);
        m_panel[p].cutY = ini.GetInt(kSection, kCutKeys[p][1], 0);
    }
    ClampMargins();
    // Whatever the hidden type lists hold, the panel is the 3556 x 4320 one.
    SetPanelSize(PanelA, kPanelWidth, kPanelHeight);
    SetPanelSize(PanelB, kPanelWidth, kPanelHeight);

    SetDlgItemText(1030, ini.GetString(kSection, "A_LINK_DATA", ""));
    SetDlgItemText(1031, ini.GetString(kSection, "B_LINK_DATA", ""));
    LoadModality();
}

void CDetectorPerkin::OnCalFile(int editId)
{
    QByteArray start = GetDlgItemText(editId);
    if (start.isEmpty())
        start = m_strCalPath;
    QString chosen;
    if (BrowseForSaveFile(this, QStringLiteral("XIS data File (*.his)|*.his|"), FromCodePage(start),
                          &chosen))
        SetDlgItemText(editId, ToCodePage(chosen));
}

void CDetectorPerkin::OnOK()
{
    MainIniSave save;
    const CIni& ini = save.Ini();
    // A field that is not a number has had its message; the save goes on.
    TakePanels();
    SaveFiles(ini);
    ClampMargins();
    for (int p = PanelA; p <= PanelB; ++p) {
        ini.WriteInt(kSection, kCutKeys[p][0], m_panel[p].cutX);
        ini.WriteInt(kSection, kCutKeys[p][1], m_panel[p].cutY);
    }
    for (const Field& sw : kSwitches)
        ini.WriteInt(kSection, sw.key, IsDlgButtonChecked(sw.id) ? 1 : 0);
    SaveLinks(ini);
    ini.WriteInt("CONTROLPANNEL", "UseModeAED", 1);
}

void CDetectorPerkin::SaveFiles(const CIni& ini)
{
    for (int p = PanelA; p <= PanelB; ++p) {
        for (const CalFile& file : kCalFiles[p])
            ini.WriteString(kSection, file.key, CollapseBackslashes(GetDlgItemText(file.edit)));
        ini.WriteString(kSection, kGainSeq[p].key, ValidGainSeq(GetDlgItemText(kGainSeq[p].id)));
    }
}

void CDetectorPerkin::SaveLinks(const CIni& ini)
{
    const int modality = SavedModality();
    const bool dual = modality == 2;
    const QByteArray second = dual ? GetDlgItemText(1031) : QByteArray();
    ini.WriteString(kSection, "A_LINK_DATA", GetDlgItemText(1030));
    ini.WriteString(kSection, "B_LINK_DATA", second);
    // A second panel without an address is not counted.
    ini.WriteString(kSection, "DEV_CNT", dual && !second.isEmpty() ? "2" : "1");
    ini.WriteInt("SYSTEM", "Modality Mode", modality);
}

IMPLEMENT_PAGE(CDetectorPerkin)
