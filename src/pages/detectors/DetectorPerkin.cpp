#include "pages/detectors/DetectorPerkin.h"
#include "ui_DetectorPerkin.h"

#include <cctype>

#include "ini/CodePage.h"
#include "settings/IniKeys.h"
#include "ui/Pickers.h"

namespace {

enum : int {
    kAcquireParameter = 1019,
    kAcquireMode = 1020,
    kTriggerLabelA = 1040,
    kTriggerLabelB = 1051,
    kOffsetFileA = 1064,
    kOffsetFileB = 1065,
    kGainBrowseA = 1066,
    kGainFileA = 1067,
    kPixelMapBrowseA = 1068,
    kPixelMapFileA = 1069,
    kGainBrowseB = 1070,
    kGainFileB = 1071,
    kPixelMapBrowseB = 1072,
    kPixelMapFileB = 1073,
    kGainSeqA = 1074,
    kGainSeqB = 1075,
    kTriggerA = 1139,
    kTriggerB = 1140,
    kOffsetBrowseA = 1141,
    kOffsetBrowseB = 1142,
    kPreLoadCal = 1145,
    kPreLoadRaw = 1146,
};

constexpr const char* kSection = "DETPERKIN";

struct CalFile {
    int edit;
    int button;
    const char* key;
};
// Per panel: offset, gain, pixel map.
constexpr CalFile kCalFiles[2][3] = {
    {{kOffsetFileA, kOffsetBrowseA, "A_DATA_OFST"},
     {kGainFileA, kGainBrowseA, "A_DATA_GAIN"},
     {kPixelMapFileA, kPixelMapBrowseA, "A_DATA_PIXL"}},
    {{kOffsetFileB, kOffsetBrowseB, "B_DATA_OFST"},
     {kGainFileB, kGainBrowseB, "B_DATA_GAIN"},
     {kPixelMapFileB, kPixelMapBrowseB, "B_DATA_PIXL"}},
};

struct Field {
    int id;
    const char* key;
};
constexpr Field kGainSeq[2] = {{kGainSeqA, "A_GAIN_SEQ"}, {kGainSeqB, "B_GAIN_SEQ"}};
constexpr const char* kCutKeys[2][2] = {{"A_CUTX", "A_CUTY"}, {"B_CUTX", "B_CUTY"}};
// Switches kept in hidden check boxes, so that a save writes them back.
constexpr Binding kSwitches[] = {
    CheckBinding(kPreLoadRaw, kSection, "PRE_LOAD_RAW"),
    CheckBinding(kPreLoadCal, kSection, "PRE_LOAD_CAL"),
    CheckBinding(kAcquireParameter, kSection, "SET_PARAM_ACQ"),
    CheckBinding(kAcquireMode, kSection, "AUTO_TRIG_ON"),
};
constexpr Binding kLinkA = TextBinding(kFirstField, kSection, "A_LINK_DATA");
constexpr Binding kLinkB = TextBinding(kSecondField, kSection, "B_LINK_DATA");

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
    SetHidden({kTriggerA, kTriggerB, kTriggerLabelA, kTriggerLabelB, kTypeA, kTypeB, kPreLoadCal,
               kPreLoadRaw, kAcquireParameter, kAcquireMode});
    SetDigitsOnly({kWidthA, kHeightA, kCutXA, kCutYA, kWidthB, kHeightB, kCutXB, kCutYB, kGainSeqA,
                   kGainSeqB});
    ConnectModality();
    for (const auto& panel : kCalFiles) {
        for (const CalFile& file : panel)
            OnClicked(file.button, [this, edit = file.edit] { OnCalFile(edit); });
    }
    LoadSettings();
    ApplySlotPosition();
    return true;
}

void CDetectorPerkin::LoadSettings()
{
    const CIni ini(MainIniPath().constData());
    m_strCalPath = ini.GetString("Cor", "Path", "C:\\VoraSuite\\Cor\\Channel");
    for (int p = PanelA; p <= PanelB; ++p) {
        for (const CalFile& file : kCalFiles[p])
            SetDlgItemText(file.edit, CollapseBackslashes(ini.GetString(kSection, file.key, "")));
        SetDlgItemText(kGainSeq[p].id, ValidGainSeq(ini.GetString(kSection, kGainSeq[p].key, "0")));
    }
    Load(kSwitches, ini);
    SetCurSel(kTypeA, 0);
    SetCurSel(kTypeB, 0);

    for (int p = PanelA; p <= PanelB; ++p) {
        m_panel[p].cutX = ini.GetInt(kSection, kCutKeys[p][0], 0);
        m_panel[p].cutY = ini.GetInt(kSection, kCutKeys[p][1], 0);
    }
    ClampMargins();
    // Whatever the hidden type lists hold, the panel is the 3556 x 4320 one.
    SetPanelSize(PanelA, kPanelWidth, kPanelHeight);
    SetPanelSize(PanelB, kPanelWidth, kPanelHeight);

    Load(kLinkA, ini);
    Load(kLinkB, ini);
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
    Save(kSwitches, ini);
    SaveLinks(ini);
    ini.WriteInt(kControlPanel, kUseModeAed, 1);
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
    const QByteArray second = dual ? GetDlgItemText(kSecondField) : QByteArray();
    Save(kLinkA, ini);
    ini.WriteString(kSection, kLinkB.key, second);
    // A second panel without an address is not counted.
    ini.WriteString(kSection, "DEV_CNT", dual && !second.isEmpty() ? "2" : "1");
    ini.WriteInt(kSystem, kModalityMode, modality);
}

IMPLEMENT_PAGE(CDetectorPerkin)
