#include "detectors/DetectorCareray.h"

#include "ui_DetectorCareray.h"

#include "app/SetUpApp.h"
#include "detectors/Margins.h"
#include "platform/CodePage.h"
#include "platform/MessageBox.h"
#include "platform/PageFactory.h"
#include "settings/Ini.h"

#include <QDir>

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

constexpr CarerayColumn kColumnA{"CARERAYCRAPI_A", 1051, 1070, 1062, 1063, 1064, 1060, 1061, 1069};
constexpr CarerayColumn kColumnB{"CARERAYCRAPI_B", 1055, 1071, 1045, 1046, 1047, 1043, 1044, 1048};
constexpr const CarerayColumn* kColumns[] = {&kColumnA, &kColumnB};

constexpr char kShared[] = "CARERAYCRAPI";

struct Entry {
    const char* text;
    int code;
};

constexpr Entry kModels[] = {{"CareView_1500P", 2}, {"CareView_1500C", 3}, {"CareView_1800R", 4}};
constexpr Entry kSyncModes[] = {{"EXT_SYNC", 1}, {"AED_SYNC", 6}, {"MANUAL_SYNC", 4}};

// Column B with the hidden third-detector spin buttons that follow it.
constexpr int kColumnBControls[] = {1055, 1045, 1046, 1043, 1044, 1047, 1048, 1071, 1065, 1066};

// Veterinary mode keeps column B's sync list: the other B controls and every
// hidden third-detector item are disabled.
constexpr int kVetDisabled[] = {1055, 1043, 1044, 1045, 1046, 1047, 1048, 1065, 1066,
                                1078, 1079, 1072, 1073, 1075, 1076, 1077, 1074};

constexpr int kEnableThird = 1081;

bool IsVet()
{
    return g_Ini.GetInt("SYSTEM", "IsVet", 0) == 1;
}

void FillList(CDialog& page, int list, const Entry* first, const Entry* last)
{
    for (const Entry* entry = first; entry != last; ++entry)
        page.SetItemData(list, page.AddString(list, entry->text), entry->code);
}

// The application folder followed by Careray, with one separator between.
QByteArray DefaultWorkFolder()
{
    QString dir = QDir::toNativeSeparators(theApp.m_strAppDir);
    if (!dir.isEmpty() && !dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return ToCodePage(dir + QStringLiteral("Careray"));
}

} // namespace

CDetectorCareray::CDetectorCareray()
    : CDetector(1036), m_ui(std::make_unique<Ui::DetectorCareray>())
{
    SetModalityButtons({1086, 1087, 1088});
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

    const bool vet = IsVet();
    const int mode = g_Ini.GetInt("SYSTEM", "Modality Mode", 0);
    SetModality(mode, vet);
    const bool dual = !vet && mode == 2;
    for (const CarerayColumn* column : kColumns)
        LoadColumn(*column);
    for (const CarerayColumn* column : kColumns) {
        SetDlgItemText(column->cutWidth, g_Ini.GetString(column->section, "CUT_SIZE_L", "0"));
        SetDlgItemText(column->cutHeight, g_Ini.GetString(column->section, "CUT_SIZE_T", "0"));
    }
    LoadWorkFolders(dual);
    CheckDlgButton(1067, g_Ini.GetInt(kShared, "UseAED", 0) != 0);
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
    g_Ini.WriteInt("SYSTEM", "Modality Mode", mode);
    if (IsVet()) {
        g_Ini.WriteInt(kShared, "DEV_CNT", 1);
        g_Ini.WriteInt("SYSTEM", "Modality Mode", 2);
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
    g_Ini.WriteString("Cor", "PixelSpacing", GetDlgItemText(kColumnA.pixelSpacing));
    g_Ini.WriteString("Cor", "PixelSpacing2", GetDlgItemText(kColumnB.pixelSpacing));

    g_Ini.WriteString(kColumnA.section, "WORK_DIR", GetDlgItemText(kColumnA.workDir));
    g_Ini.WriteString(kColumnB.section, "WORK_DIR",
                      dual ? GetDlgItemText(kColumnB.workDir) : QByteArray(""));
    g_Ini.WriteString(kShared, "WORK_DIR", GetDlgItemText(kColumnA.workDir));

    const int aed = IsDlgButtonChecked(1067) ? 1 : 0;
    g_Ini.WriteInt(kShared, "UseAED", aed);
    g_Ini.WriteInt("CONTROLPANNEL", "UseModeAED", aed);
}

IMPLEMENT_PAGE(CDetectorCareray, CreateWith<CDetectorCareray>(parent))
