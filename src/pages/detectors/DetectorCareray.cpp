#include "pages/detectors/DetectorCareray.h"

#include "ui_DetectorCareray.h"

#include <QDir>

#include "ini/CodePage.h"
#include "pages/Veterinary.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"
#include "settings/Workstation.h"
#include "ui/MessageBox.h"

// The controls and section of one detector column.
struct CarerayColumn {
    const char* section;
    int type;
    int sync;
    int detWidth;
    int detHeight;
    int pixelSpacing;
    int cutWidth;
    int cutHeight;
    int workDir;
};

namespace {

constexpr char kShared[] = "CARERAYCRAPI";

enum : int {
    kCutWidthB = 1043,
    kCutHeightB = 1044,
    kDetWidthB = 1045,
    kDetHeightB = 1046,
    kPixelSpacingB = 1047,
    kWorkDirB = 1048,
    kTypeA = 1051,
    kTypeB = 1055,
    kCutWidthA = 1060,
    kCutHeightA = 1061,
    kDetWidthA = 1062,
    kDetHeightA = 1063,
    kPixelSpacingA = 1064,
    kSpinCutWidthA = 1065,
    kSpinCutHeightA = 1066,
    kEnableAed = 1067,
    kWorkDirA = 1069,
    kSyncA = 1070,
    kSyncB = 1071,
    kThirdWorkDir = 1072,
    kThirdDetWidth = 1073,
    kThirdType = 1074,
    kThirdCutWidth = 1075,
    kThirdCutHeight = 1076,
    kThirdPixelSpacing = 1077,
    kSpinThirdWidth = 1078,
    kSpinThirdHeight = 1079,
    kEnableThird = 1081,
    kStand = 1086,
    kTable = 1087,
    kDual = 1088,
};

constexpr CarerayColumn kColumnA{"CARERAYCRAPI_A", kTypeA,     kSyncA,     kDetWidthA, kDetHeightA,
                                 kPixelSpacingA,   kCutWidthA, kCutHeightA, kWorkDirA};
constexpr CarerayColumn kColumnB{"CARERAYCRAPI_B", kTypeB,     kSyncB,     kDetWidthB, kDetHeightB,
                                 kPixelSpacingB,   kCutWidthB, kCutHeightB, kWorkDirB};
constexpr const CarerayColumn* kColumns[] = {&kColumnA, &kColumnB};


struct Entry {
    const char* text;
    int code;
};

constexpr Entry kModels[] = {{"CareView_1500P", 2}, {"CareView_1500C", 3}, {"CareView_1800R", 4}};
constexpr Entry kSyncModes[] = {{"EXT_SYNC", 1}, {"AED_SYNC", 6}, {"MANUAL_SYNC", 4}};

// Column B with the hidden third-detector spin buttons that follow it.
constexpr int kColumnBControls[] = {kTypeB,      kDetWidthB,     kDetHeightB, kCutWidthB,
                                    kCutHeightB, kPixelSpacingB, kWorkDirB,   kSyncB,
                                    kSpinCutWidthA, kSpinCutHeightA};

// Veterinary mode keeps column B's sync list: the other B controls and every
// hidden third-detector item are disabled.
constexpr int kVetDisabled[] = {
    kTypeB,          kCutWidthB,       kCutHeightB,    kDetWidthB,     kDetHeightB,
    kPixelSpacingB,  kWorkDirB,        kSpinCutWidthA, kSpinCutHeightA, kSpinThirdWidth,
    kSpinThirdHeight, kThirdWorkDir,   kThirdDetWidth, kThirdCutWidth, kThirdCutHeight,
    kThirdPixelSpacing, kThirdType};

constexpr Binding kUseAedKey = CheckNotOffBinding(kEnableAed, kShared, "UseAED");

void FillList(CDialog& page, int list, const Entry* first, const Entry* last)
{
    for (const Entry* entry = first; entry != last; ++entry)
        page.SetItemData(list, page.AddString(list, entry->text), entry->code);
}

// The application folder followed by Careray, with one separator between.
QByteArray DefaultWorkFolder()
{
    QString dir = QDir::toNativeSeparators(ThisWorkstation().folder);
    if (!dir.isEmpty() && !dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return ToCodePage(dir + QStringLiteral("Careray"));
}

} // namespace

CDetectorCareray::CDetectorCareray(const PageContext& context)
    : CDetector(1036, context), m_ui(std::make_unique<Ui::DetectorCareray>())
{
    SetModalityButtons({kStand, kTable, kDual});
}

CDetectorCareray::~CDetectorCareray() = default;

void CDetectorCareray::SetupUi()
{
    m_ui->setupUi(this);
    // The third-detector column, its spin buttons and the tool switches hold no setting.
    m_ui->unusedControls->hide();
}

bool CDetectorCareray::OnInitDialog()
{
    ConnectModality();
    OnSelChange(kColumnA.type, [this] { OnTypeA(); });
    OnSelChange(kColumnB.type, [this] { OnTypeB(); });
    for (const CarerayColumn* column : kColumns) {
        FillList(*this, column->type, std::begin(kModels), std::end(kModels));
        SetCurSel(column->type, 0);
        SetDigitsOnly(column->cutWidth);
        SetDigitsOnly(column->cutHeight);
    }

    const bool vet = IsPetVet(ReadVetKind());
    const int mode = g_Ini.GetInt(kSystem, kModalityMode, 0);
    SetModality(mode, vet);
    const bool dual = !vet && mode == 2;
    for (const CarerayColumn* column : kColumns)
        LoadColumn(*column);
    for (const CarerayColumn* column : kColumns) {
        SetDlgItemText(column->cutWidth, g_Ini.GetString(column->section, "CUT_SIZE_L", "0"));
        SetDlgItemText(column->cutHeight, g_Ini.GetString(column->section, "CUT_SIZE_T", "0"));
    }
    LoadWorkFolders(dual);
    Load(kUseAedKey);
    if (vet)
        DisableForVet();
    ApplySlotPosition();
    return true;
}

void CDetectorCareray::LoadColumn(const CarerayColumn& column)
{
    SetCurSel(column.type,
              FindItemData(column.type, g_Ini.GetInt(column.section, "DETECTOR_TYPE", 4)));
    ApplyType(column);
    SetCurSel(column.sync,
              FindItemData(column.sync, g_Ini.GetInt(column.section, "SYNC_MODE", -1)));
}

// Single set-ups keep no B folder, whatever is stored; dual ones default to A's.
void CDetectorCareray::LoadWorkFolders(bool dual)
{
    QByteArray a = g_Ini.GetString(kColumnA.section, "WORK_DIR", "");
    QByteArray b = g_Ini.GetString(kColumnB.section, "WORK_DIR", "");
    if (a.isEmpty())
        a = DefaultWorkFolder();
    if (!dual)
        b.clear();
    else if (b.isEmpty())
        b = a;
    SetDlgItemText(kColumnA.workDir, a);
    SetDlgItemText(kColumnB.workDir, b);
}

void CDetectorCareray::DisableForVet()
{
    for (int id : kVetDisabled)
        EnableDlgItem(id, false);
    CheckDlgButton(kEnableThird, 0);
    EnableDlgItem(kEnableThird, false);
}

// The entry whose item data is wanted, searched from the last; else the first.
int CDetectorCareray::FindItemData(int list, int wanted) const
{
    for (int i = GetCount(list) - 1; i >= 0; --i) {
        if (GetItemData(list, i) == wanted)
            return i;
    }
    return 0;
}

void CDetectorCareray::OnModalityButton(int mode)
{
    if (mode == 2)
        OnDual();
    else
        OnSingle();
}

void CDetectorCareray::OnSingle()
{
    EnableColumnB(false);
}

void CDetectorCareray::OnDual()
{
    EnableColumnB(true);
}

void CDetectorCareray::EnableColumnB(bool enable)
{
    for (int id : kColumnBControls)
        EnableDlgItem(id, enable);
    CheckDlgButton(kEnableThird, 0);
    EnableDlgItem(kEnableThird, enable);
}

void CDetectorCareray::OnTypeA()
{
    ApplyType(kColumnA);
}

void CDetectorCareray::OnTypeB()
{
    ApplyType(kColumnB);
}

// A model fixes the column's sensor size and pixel spacing; its sync choice
// and cut sizes start over.
void CDetectorCareray::ApplyType(const CarerayColumn& column)
{
    const int code = int(GetItemData(column.type, GetCurSel(column.type)));
    if (code < 0 || code > 4) {
        AfxMessageBox(QStringLiteral("Unsupport Detector Type"), this);
        return;
    }
    SetDlgItemText(column.detWidth, "2816");
    SetDlgItemText(column.detHeight, code == 4 ? "2816" : "2304");
    SetDlgItemText(column.pixelSpacing, "0.154");
    ResetContent(column.sync);
    FillList(*this, column.sync, std::begin(kSyncModes), std::end(kSyncModes));
    SetCurSel(column.sync, 0);
    SetDlgItemText(column.cutWidth, "0");
    SetDlgItemText(column.cutHeight, "0");
}

void CDetectorCareray::OnOK()
{
    int mode = IsDlgButtonChecked(Modality().table)  ? 1
               : IsDlgButtonChecked(Modality().both) ? 2
                                                     : 0;
    g_Ini.WriteInt(kShared, "DEV_CNT", mode == 2 ? 2 : 1);
    g_Ini.WriteInt(kSystem, kModalityMode, mode);
    if (IsPetVet(ReadVetKind())) {
        g_Ini.WriteInt(kShared, "DEV_CNT", 1);
        g_Ini.WriteInt(kSystem, kModalityMode, 2);
        mode = 0;
    }
    const bool dual = mode == 2;

    for (const CarerayColumn* column : kColumns) {
        g_Ini.WriteInt(column->section, "DETECTOR_TYPE",
                       int(GetItemData(column->type, GetCurSel(column->type))));
        g_Ini.WriteInt(column->section, "SYNC_MODE",
                       int(GetItemData(column->sync, GetCurSel(column->sync))));
    }
    for (const CarerayColumn* column : kColumns) {
        g_Ini.WriteString(column->section, "CUT_SIZE_L", GetDlgItemText(column->cutWidth));
        g_Ini.WriteString(column->section, "CUT_SIZE_T", GetDlgItemText(column->cutHeight));
    }
    g_Ini.WriteString(kCor, kPixelSpacing, GetDlgItemText(kColumnA.pixelSpacing));
    g_Ini.WriteString(kCor, kPixelSpacing2, GetDlgItemText(kColumnB.pixelSpacing));

    g_Ini.WriteString(kColumnA.section, "WORK_DIR", GetDlgItemText(kColumnA.workDir));
    g_Ini.WriteString(kColumnB.section, "WORK_DIR",
                      dual ? GetDlgItemText(kColumnB.workDir) : QByteArray(""));
    g_Ini.WriteString(kShared, "WORK_DIR", GetDlgItemText(kColumnA.workDir));

    Save(kUseAedKey);
    g_Ini.WriteInt(kControlPanel, kUseModeAed, IsDlgButtonChecked(kEnableAed) ? 1 : 0);
}

IMPLEMENT_PAGE(CDetectorCareray)
