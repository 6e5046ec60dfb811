#include "pages/system/DlgSystem.h"
#include "ui_DlgSystem.h"

#include <QDir>
#include <QFile>

#include "ui/FolderPicker.h"
#include "settings/SaveTransaction.h"
#include "app/SetUpApp.h"
#include "pages/detectors/DlgSelDet.h"
#include "ini/CodePage.h"
#include "ui/MessageBox.h"
#include "ui/PageFactory.h"
#include "settings/Ini.h"
#include "pages/system/DetectorSlots.h"

IMPLEMENT_PAGE(CDlgSystem)

namespace {

enum : int {
    kBrowse = 3,
    kUseDifferentDetector = 1007,
    kUseLog = 1008,
    kRotate1 = 1010,
    kRotate2 = 1011,
    kUseWorklist = 1050,
    kUseViewSub = 1051,
    kUseVoraView = 1052,
    kPet = 1053,
    kEquine = 1066,
    kUseRefresh = 1068,
    kFolder = 1071,
    kDelimiter = 1073,
    kServer = 1074,
    kFilebase = 1075,
    kDualGroup = 1089,
};

// Window placement of the secondary viewers, all in [SYSTEM], stored as typed.
struct WindowField {
    int id;
    const char* key;
    int defaultValue;
};

const WindowField kViewSubFields[] = {
    {1056, "ViewSubPosX", 1920},
    {1057, "ViewSubPosY", 0},
};

// "VoraViewHeigth" is the key the acquisition application reads.
const WindowField kVoraViewFields[] = {
    {1062, "VoraViewX", 0},
    {1063, "VoraViewY", 0},
    {1064, "VoraViewWidth", 1280},
    {1065, "VoraViewHeigth", 1024},
};

// The worklist files' default folder: OCS in the program's folder.
QByteArray DefaultWorklistFolder()
{
    return QFile::encodeName(
        QDir::toNativeSeparators(QDir::cleanPath(theApp.m_strAppDir + QStringLiteral("/OCS"))));
}

} // namespace

CDlgSystem::CDlgSystem() : CDialog(139), m_ui(std::make_unique<Ui::DlgSystem>()) {}

CDlgSystem::~CDlgSystem() = default;

void CDlgSystem::SetupUi()
{
    m_ui->setupUi(this);
    // The main dialog has the OK and Cancel of the tabs.
    for (QWidget* button : {m_ui->okButton, m_ui->cancelButton}) {
        button->hide();
        button->setEnabled(false);
    }
}

bool CDlgSystem::OnInitDialog()
{
    OnClicked(kUseWorklist, [this] { OnUseWorklist(); });
    OnClicked(kUseViewSub, [this] { OnUseViewSub(); });
    OnClicked(kUseVoraView, [this] { OnUseVoraView(); });
    OnClicked(kUseDifferentDetector, [this] { OnUseDifferentDetector(); });
    OnClicked(kFilebase, [this] { OnFilebase(); });
    OnClicked(kServer, [this] { OnFilebase(); });
    OnClicked(kBrowse, [this] { OnBrowseFolder(); });
    OnEditChange(kDelimiter, [this] { OnDelimiterChange(); });
    LoadSystemSettings();
    return true;
}

void CDlgSystem::OnOK()
{
    SaveSystemSettings();
}

void CDlgSystem::LoadSystemSettings()
{
    for (const WindowField& f : kViewSubFields)
        SetDlgItemInt(f.id, g_Ini.GetInt("SYSTEM", f.key, f.defaultValue));
    for (const WindowField& f : kVoraViewFields)
        SetDlgItemInt(f.id, g_Ini.GetInt("SYSTEM", f.key, f.defaultValue));

    CheckDlgButton(kUseLog, g_Ini.GetInt("WORKLIST", "UseWorklistLog", 0) != 0);
    CheckDlgButton(kUseViewSub, g_Ini.GetInt("SYSTEM", "IsViewSub", 0) == 1);
    OnUseViewSub();
    CheckDlgButton(kUseVoraView, g_Ini.GetInt("SYSTEM", "IsVoraView", 0) == 1);
    OnUseVoraView();
    LoadSpecies();

    // Without makers to pair, no second detector can be chosen here.
    if (g_Ini.GetString("Cor", "Multicor", "").isEmpty()) {
        ShowDlgItem(kDualGroup, false);
        ShowDlgItem(kUseDifferentDetector, false);
    }
    CheckDlgButton(kUseDifferentDetector, g_Ini.GetInt("Cor", "UseMultiCor", 0) != 0);

    SetDlgItemText(kRotate1, g_Ini.GetString("Cor", "Rotate1", ""));
    SetDlgItemText(kRotate2, g_Ini.GetString("Cor", "Rotate2", ""));
    SetDlgItemText(kFolder, g_Ini.GetString("WORKLIST", "FileBasePath", DefaultWorklistFolder()));
    // A stored delimiter longer than one character is cut here too.
    SetDlgItemText(kDelimiter, g_Ini.GetString("WORKLIST", "FileBaseArgDel", ","));
    LoadWorklistSource();
    CheckDlgButton(kUseRefresh, g_Ini.GetInt("WORKLIST", "UseRefresh", 0) == 1);
}

void CDlgSystem::LoadSpecies()
{
    const int isVet = g_Ini.GetInt("SYSTEM", "IsVet", 0);
    ShowDlgItem(kPet, isVet != 0);
    ShowDlgItem(kEquine, isVet != 0);
    if (isVet == 0)
        return;
    CheckDlgButton(kPet, isVet == 1);
    CheckDlgButton(kEquine, isVet != 1);
}

void CDlgSystem::LoadWorklistSource()
{
    const int useFileBase = g_Ini.GetInt("WORKLIST", "UseFileBase", 0);
    const int typeFileBase = g_Ini.GetInt("WORKLIST", "TypeFileBase", 0);
    const bool off = useFileBase == 1 && typeFileBase == 0;
    const bool files = useFileBase == 1 && typeFileBase == 1;
    CheckDlgButton(kUseWorklist, !off);
    CheckDlgButton(kServer, !off && !files);
    CheckDlgButton(kFilebase, files);
    OnUseWorklist();
}

void CDlgSystem::SaveSystemSettings()
{
    g_Ini.WriteInt("WORKLIST", "UseWorklistLog", IsDlgButtonChecked(kUseLog) ? 1 : 0);

    // Turning a viewer off keeps its stored window where it was.
    const bool viewSub = IsDlgButtonChecked(kUseViewSub);
    g_Ini.WriteInt("SYSTEM", "IsViewSub", viewSub ? 1 : 0);
    for (const WindowField& f : kViewSubFields) {
        if (viewSub)
            g_Ini.WriteString("SYSTEM", f.key, GetDlgItemText(f.id));
    }
    const bool voraView = IsDlgButtonChecked(kUseVoraView);
    g_Ini.WriteInt("SYSTEM", "IsVoraView", voraView ? 1 : 0);
    for (const WindowField& f : kVoraViewFields) {
        if (voraView)
            g_Ini.WriteString("SYSTEM", f.key, GetDlgItemText(f.id));
    }

    // Veterinary mode itself is not switched here.
    if (IsDlgItemVisible(kPet))
        g_Ini.WriteInt("SYSTEM", "IsVet", SpeciesIndex() + 1);

    SaveDetectorArrangement();
    g_Ini.WriteString("Cor", "Rotate1", GetDlgItemText(kRotate1));
    g_Ini.WriteString("Cor", "Rotate2", GetDlgItemText(kRotate2));
    g_Ini.WriteString("WORKLIST", "FileBasePath", GetDlgItemText(kFolder));
    g_Ini.WriteString("WORKLIST", "FileBaseArgDel", GetDlgItemText(kDelimiter));
    SaveWorklistSource();
    g_Ini.WriteInt("WORKLIST", "UseRefresh", IsDlgButtonChecked(kUseRefresh) ? 1 : 0);
}

void CDlgSystem::SaveDetectorArrangement()
{
    if (IsDlgButtonChecked(kUseDifferentDetector)) {
        g_Ini.WriteInt("Cor", "UseMultiCor", 1);
        g_Ini.WriteInt("SYSTEM", "Modality Mode", 2);
        g_Ini.WriteInt("SYSTEM", "Current Modality", 1);
        g_Ini.WriteInt("DetectorDRTech", "DualMode", 1);
    } else {
        g_Ini.WriteInt("Cor", "UseMultiCor", 0);
        g_Ini.WriteInt("DetectorDRTech", "DualMode", 0);
    }
}

void CDlgSystem::SaveWorklistSource()
{
    int useFileBase = 1;
    int typeFileBase = 0;
    if (IsDlgButtonChecked(kUseWorklist)) {
        useFileBase = IsDlgButtonChecked(kFilebase) ? 1 : 0;
        typeFileBase = useFileBase;
    }
    g_Ini.WriteInt("WORKLIST", "UseFileBase", useFileBase);
    g_Ini.WriteInt("WORKLIST", "TypeFileBase", typeFileBase);
}

int CDlgSystem::SpeciesIndex() const
{
    if (IsDlgButtonChecked(kPet))
        return 0;
    return IsDlgButtonChecked(kEquine) ? 1 : -1;
}

void CDlgSystem::OnUseWorklist()
{
    const bool on = IsDlgButtonChecked(kUseWorklist);
    EnableDlgItem(kServer, on);
    EnableDlgItem(kFilebase, on);
    if (!on) {
        CheckDlgButton(kServer, 1);
        CheckDlgButton(kFilebase, 0);
    }
    OnFilebase();
}

void CDlgSystem::OnFilebase()
{
    const bool files = IsDlgButtonChecked(kFilebase);
    for (int id : {kBrowse, kFolder, kDelimiter})
        EnableDlgItem(id, files);
}

void CDlgSystem::OnUseViewSub()
{
    const bool on = IsDlgButtonChecked(kUseViewSub);
    for (const WindowField& f : kViewSubFields)
        EnableDlgItem(f.id, on);
}

void CDlgSystem::OnUseVoraView()
{
    const bool on = IsDlgButtonChecked(kUseVoraView);
    for (const WindowField& f : kVoraViewFields)
        EnableDlgItem(f.id, on);
}

void CDlgSystem::OnDelimiterChange()
{
    const QByteArray text = GetDlgItemText(kDelimiter);
    if (text.size() <= 1)
        return;
    AfxMessageBox(QStringLiteral("Delimiter is one charcter"), this);
    SetDlgItemText(kDelimiter, text.left(1));
}

void CDlgSystem::OnBrowseFolder()
{
    CFolderPicker picker(this);
    if (picker.Browse(FromCodePage(GetDlgItemText(kFolder))))
        SetDlgItemText(kFolder, picker.GetPathBytes());
}

// The arrangement of detectors is read when the editor starts, so the switch
// is written at once, as one save of its own that the main Cancel keeps.
void CDlgSystem::OnUseDifferentDetector()
{
    RunSaveTransaction([this] { SwitchDifferentDetector(); }, this);
}

void CDlgSystem::SwitchDifferentDetector()
{
    const FirstDetector first = ReadFirstDetector();
    if (!IsDlgButtonChecked(kUseDifferentDetector)) {
        g_Ini.WriteInt("Cor", "UseMultiCor", 0);
        return;
    }
    // With makers to pair, the second detector's model is chosen; the dialog
    // writes what the model means into [Cor2] itself.
    const bool choose = !g_Ini.GetString("Cor", "Multicor", "").isEmpty();
    if (choose && CDlgSelDet().DoModal(this) != IDOK) {
        CheckDlgButton(kUseDifferentDetector, 0);
        g_Ini.WriteInt("Cor", "UseMultiCor", 0);
        return;
    }
    g_Ini.WriteInt("Cor", "UseMultiCor", 1);
    WriteFirstSlot(first);
    WriteSecondSlot(first, !choose);
}
