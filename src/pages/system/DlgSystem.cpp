#include "pages/system/DlgSystem.h"
#include "ui_DlgSystem.h"

#include <QDir>
#include <QFile>

#include "ini/CodePage.h"
#include "pages/Veterinary.h"
#include "pages/detectors/DlgSelDet.h"
#include "pages/system/DetectorSlots.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"
#include "settings/SaveTransaction.h"
#include "settings/Workstation.h"
#include "ui/FolderPicker.h"
#include "ui/MessageBox.h"
#include "ui/PageFactory.h"

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
    kViewSubX = 1056,
    kViewSubY = 1057,
    kVoraViewX = 1062,
    kVoraViewY = 1063,
    kVoraViewWidth = 1064,
    kVoraViewHeight = 1065,
    kEquine = 1066,
    kUseRefresh = 1068,
    kFolder = 1071,
    kDelimiter = 1073,
    kServer = 1074,
    kFilebase = 1075,
    kDualGroup = 1089,
};

constexpr char kWorklist[] = "WORKLIST";

// Window placement of the secondary viewers, stored as typed.
constexpr Binding kViewSubFields[] = {
    NumberBinding(kViewSubX, kSystem, "ViewSubPosX", 1920),
    NumberBinding(kViewSubY, kSystem, "ViewSubPosY", 0),
};

// "VoraViewHeigth" is the key the acquisition application reads.
constexpr Binding kVoraViewFields[] = {
    NumberBinding(kVoraViewX, kSystem, "VoraViewX", 0),
    NumberBinding(kVoraViewY, kSystem, "VoraViewY", 0),
    NumberBinding(kVoraViewWidth, kSystem, "VoraViewWidth", 1280),
    NumberBinding(kVoraViewHeight, kSystem, "VoraViewHeigth", 1024),
};

constexpr Binding kUseLogKey = CheckNotOffBinding(kUseLog, kWorklist, "UseWorklistLog");
constexpr Binding kUseViewSubKey = CheckBinding(kUseViewSub, kSystem, "IsViewSub");
constexpr Binding kUseVoraViewKey = CheckBinding(kUseVoraView, kSystem, "IsVoraView");
// Saved with the detector arrangement, not as a plain box.
constexpr Binding kUseMultiCorKey = CheckNotOffBinding(kUseDifferentDetector, kCor, kUseMultiCor);
constexpr Binding kRotate1Key = TextBinding(kRotate1, kCor, "Rotate1");
constexpr Binding kRotate2Key = TextBinding(kRotate2, kCor, "Rotate2");
constexpr char kFileBasePath[] = "FileBasePath";
// A stored delimiter longer than one character is cut here too.
constexpr Binding kDelimiterKey = TextBinding(kDelimiter, kWorklist, "FileBaseArgDel", ",");
constexpr Binding kUseRefreshKey = CheckBinding(kUseRefresh, kWorklist, "UseRefresh");
constexpr char kUseFileBase[] = "UseFileBase";
constexpr char kTypeFileBase[] = "TypeFileBase";

// The worklist files' default folder: OCS in the program's folder.
QByteArray DefaultWorklistFolder()
{
    return QFile::encodeName(
        QDir::toNativeSeparators(QDir::cleanPath(ThisWorkstation().folder + QStringLiteral("/OCS"))));
}

} // namespace

CDlgSystem::CDlgSystem() : CPage(139), m_ui(std::make_unique<Ui::DlgSystem>()) {}

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
    Load(kViewSubFields);
    Load(kVoraViewFields);

    Load(kUseLogKey);
    Load(kUseViewSubKey);
    OnUseViewSub();
    Load(kUseVoraViewKey);
    OnUseVoraView();
    LoadSpecies();

    // Without makers to pair, no second detector can be chosen here.
    if (g_Ini.GetString(kCor, kMulticor, "").isEmpty()) {
        ShowDlgItem(kDualGroup, false);
        ShowDlgItem(kUseDifferentDetector, false);
    }
    Load(kUseMultiCorKey);

    Load(kRotate1Key);
    Load(kRotate2Key);
    SetDlgItemText(kFolder, g_Ini.GetString(kWorklist, kFileBasePath, DefaultWorklistFolder()));
    Load(kDelimiterKey);
    LoadWorklistSource();
    Load(kUseRefreshKey);
}

void CDlgSystem::LoadSpecies()
{
    const int vetKind = ReadVetKind();
    ShowDlgItem(kPet, IsVetSet(vetKind));
    ShowDlgItem(kEquine, IsVetSet(vetKind));
    if (!IsVetSet(vetKind))
        return;
    CheckDlgButton(kPet, IsPetVet(vetKind));
    CheckDlgButton(kEquine, !IsPetVet(vetKind));
}

void CDlgSystem::LoadWorklistSource()
{
    const int useFileBase = g_Ini.GetInt(kWorklist, kUseFileBase, 0);
    const int typeFileBase = g_Ini.GetInt(kWorklist, kTypeFileBase, 0);
    const bool off = useFileBase == 1 && typeFileBase == 0;
    const bool files = useFileBase == 1 && typeFileBase == 1;
    CheckDlgButton(kUseWorklist, !off);
    CheckDlgButton(kServer, !off && !files);
    CheckDlgButton(kFilebase, files);
    OnUseWorklist();
}

void CDlgSystem::SaveSystemSettings()
{
    Save(kUseLogKey);

    // Turning a viewer off keeps its stored window where it was.
    Save(kUseViewSubKey);
    if (IsDlgButtonChecked(kUseViewSub))
        Save(kViewSubFields);
    Save(kUseVoraViewKey);
    if (IsDlgButtonChecked(kUseVoraView))
        Save(kVoraViewFields);

    // Veterinary mode itself is not switched here.
    if (IsDlgItemVisible(kPet))
        g_Ini.WriteInt(kSystem, kIsVet, SpeciesIndex() + 1);

    SaveDetectorArrangement();
    Save(kRotate1Key);
    Save(kRotate2Key);
    g_Ini.WriteString(kWorklist, kFileBasePath, GetDlgItemText(kFolder));
    Save(kDelimiterKey);
    SaveWorklistSource();
    Save(kUseRefreshKey);
}

void CDlgSystem::SaveDetectorArrangement()
{
    if (IsDlgButtonChecked(kUseDifferentDetector)) {
        g_Ini.WriteInt(kCor, kUseMultiCor, 1);
        g_Ini.WriteInt(kSystem, kModalityMode, 2);
        g_Ini.WriteInt(kSystem, kCurrentModality, 1);
        g_Ini.WriteInt(kDetectorDrtech, kDualMode, 1);
    } else {
        g_Ini.WriteInt(kCor, kUseMultiCor, 0);
        g_Ini.WriteInt(kDetectorDrtech, kDualMode, 0);
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
    g_Ini.WriteInt(kWorklist, kUseFileBase, useFileBase);
    g_Ini.WriteInt(kWorklist, kTypeFileBase, typeFileBase);
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
    for (const Binding& f : kViewSubFields)
        EnableDlgItem(f.id, on);
}

void CDlgSystem::OnUseVoraView()
{
    const bool on = IsDlgButtonChecked(kUseVoraView);
    for (const Binding& f : kVoraViewFields)
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
        g_Ini.WriteInt(kCor, kUseMultiCor, 0);
        return;
    }
    // With makers to pair, the second detector's model is chosen; the dialog
    // writes what the model means into [Cor2] itself.
    const bool choose = !g_Ini.GetString(kCor, kMulticor, "").isEmpty();
    if (choose && CDlgSelDet().DoModal(this) != IDOK) {
        CheckDlgButton(kUseDifferentDetector, 0);
        g_Ini.WriteInt(kCor, kUseMultiCor, 0);
        return;
    }
    g_Ini.WriteInt(kCor, kUseMultiCor, 1);
    WriteFirstSlot(first);
    WriteSecondSlot(first, !choose);
}
