#include "app/SetUpDlg.h"
#include "ui_SetUpDlg.h"

#include "app/AboutDlg.h"
#include "app/RestoreBackupDlg.h"
#include "app/ReviewChangesDlg.h"
#include "settings/SaveTransaction.h"
#include "settings/SlotValues.h"
#include "settings/Workstation.h"
#include "pages/detectors/Detector.h"
#include "ui/PageFactory.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "settings/Ini.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

namespace {

// Device id -> page class, with the slot index each slot passes to classes
// whose creation takes one.
struct DevicePage {
    int deviceId;
    const char* className;
    int firstSlotIndex;
    int secondSlotIndex;
};

const DevicePage kDevicePages[] = {
    {1, "CDetectorTrixell", 0, 1},         {2, "CDetectorTrixell", 0, 1},
    {3, "CDetectorDrtech1", 0, 0},         {8, "CDetectorVadav", 0, 1},
    {11, "CDetectorDrtech", 0, 1},         {12, "CDetectorVarian", 0, 0},
    {13, "CDetectorDrtechLanMulti", 0, 0}, {15, "CDetectorTetd", 0, 0},
    {16, "CDetectorOuter", 0, 0},          {17, "CDetectorDrtechLanMulti", 0, 0},
    {18, "CDetectorOuter", 0, 0},          {19, "CDetectorOuter", 0, 0},
    {20, "CDetectorAtal", 0, 0},           {21, "CDetectorPerkin", 0, 0},
    {22, "CDetectorKonica", 0, 0},         {23, "CDetectorCareray", 0, 0},
    {24, "CDetectorOuter", 0, 0},          {25, "CDetectorVarianVsp", 0, 0},
};

const DevicePage* FindDevicePage(int deviceId)
{
    for (const DevicePage& entry : kDevicePages) {
        if (entry.deviceId == deviceId)
            return &entry;
    }
    return nullptr;
}

// The DRTECH ids 3, 13 and 17 in the second slot depend on the stored type.
const char* SecondSlotDrtechClass(int deviceId)
{
    const int type = g_Ini.GetInt("DetDrtech", "DetType", 0);
    const int smm1 = g_Ini.GetInt("DetDrtech", "SMM1", 0);
    if ((deviceId == 13 || deviceId == 17) && type == 4 && smm1 == 1)
        return "CDetectorDrtechLanMulti";
    if (deviceId == 13 && type == 4 && smm1 == 2)
        return "CDetectorDrtechMobile";
    return "CDetectorDrtech1";
}

} // namespace

CSetUpDlg::CSetUpDlg() : CDialog(102), m_ui(std::make_unique<Ui::SetUpDlg>()) {}

CSetUpDlg::~CSetUpDlg() { OnDestroy(); }

void CSetUpDlg::SetupUi()
{
    m_ui->setupUi(this);
    m_tabCtrl = m_ui->tabCtrl;
    setMinimumSize(700, 720);
    AddMenuActions();
}

// The context menu's entries live on the dialog, so that their shortcuts work
// while the menu is closed.
void CSetUpDlg::AddMenuActions()
{
    auto add = [this](const QString& text, const QKeySequence& shortcut,
                      const std::function<void()>& handler) {
        auto* action = new QAction(text, this);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    add(QStringLiteral("&Review Changes..."), QKeySequence(Qt::CTRL | Qt::Key_R),
        [this] { OnReviewChanges(); });
    add(QStringLiteral("Restore &Backup..."), QKeySequence(), [this] { OnRestoreBackup(); });
    add(QStringLiteral("&About SetUp..."), QKeySequence(), [this] { CAboutDlg().DoModal(this); });
}

void CSetUpDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addActions(actions());
    menu.exec(event->globalPos());
}

bool CSetUpDlg::ChooseMenuEntry(const QString& text)
{
    const QString wanted = QString(text).remove(QLatin1Char('&'));
    for (QAction* action : actions()) {
        if (action->text().remove(QLatin1Char('&')) == wanted) {
            action->trigger();
            return true;
        }
    }
    return false;
}

QStringList CSetUpDlg::PreviewLines()
{
    return PreviewSave([this] { SaveAll(); });
}

void CSetUpDlg::OnReviewChanges()
{
    CReviewChangesDlg(PreviewLines()).DoModal(this);
}

void CSetUpDlg::OnRestoreBackup()
{
    if (CRestoreBackupDlg(ThisWorkstation().folder).DoModal(this) == IDOK)
        Rebuild();
}

void CSetUpDlg::Rebuild()
{
    OnDestroy();
    disconnect(m_tabCtrl, &CTabCtrl::selChange, this, nullptr);
    m_tabCtrl->DeleteAllItems();
    OnInitDialog();
}

bool CSetUpDlg::OnInitDialog()
{
    SetMultiDetector(g_Ini.GetInt("Cor", "UseMultiCor", 0) == 1);
    const bool multi = ThisWorkstation().multiDetector;

    int position = 0;
    m_tabCtrl->InsertItem(position++, QStringLiteral("Detector"));
    if (multi)
        m_tabCtrl->InsertItem(position++, QStringLiteral("Detector2"));
    m_tabCtrl->InsertItem(position++, QStringLiteral("Generator && Etc"));
    m_tabCtrl->InsertItem(position++, QStringLiteral("System"));
    connect(m_tabCtrl, &CTabCtrl::selChange, this, [this] { OnSelchangeTab(); });

    const int firstId = multi ? g_Ini.GetInt("Cor1", "Device", 0)
                              : g_Ini.GetInt("CONTROLPANNEL", "Device", 0);
    m_pDetector = CreateDetector(firstId, 0, multi ? 1 : 0);
    if (m_pDetector)
        PlacePage(m_pDetector, true);

    if (multi) {
        const int secondId = g_Ini.GetInt("Cor2", "Device", 0);
        if (secondId == 0) {
            AfxMessageBox(QStringLiteral("Device id incorrected."), this);
        } else {
            m_pDetector2 = CreateDetector(secondId, 1, 2);
            if (m_pDetector2)
                PlacePage(m_pDetector2, false);
        }
    }

    m_pGenerator = CreatePageByName("CGenerator", m_tabCtrl->PageParent());
    if (m_pGenerator)
        PlacePage(m_pGenerator, false);
    m_pSystem = CreatePageByName("CDlgSystem", m_tabCtrl->PageParent());
    if (m_pSystem)
        PlacePage(m_pSystem, false);

    m_pCurPage = m_pDetector;
    return true;
}

CDetector* CSetUpDlg::CreateDetector(int deviceId, int slot, int slotPosition)
{
    const DevicePage* entry = FindDevicePage(deviceId);
    if (!entry) {
        AfxMessageBox(QStringLiteral("Device id incorrected, Setup is shutdown now"), this);
        return nullptr;
    }
    const char* className = entry->className;
    if (slot == 1 && (deviceId == 3 || deviceId == 13 || deviceId == 17))
        className = SecondSlotDrtechClass(deviceId);
    const PageContext context{deviceId, slotPosition,
                              slot == 0 ? entry->firstSlotIndex : entry->secondSlotIndex};
    // A page class not built yet leaves its tab empty.
    // Every class of the table derives from CDetector.
    return static_cast<CDetector*>(
        CreatePageByName(className, m_tabCtrl->PageParent(), context));
}

void CSetUpDlg::PlacePage(QWidget* page, bool show)
{
    page->setParent(m_tabCtrl->PageParent());
    page->setGeometry(m_tabCtrl->PageParent()->rect().adjusted(5, 5, -5, -5));
    page->setVisible(show);
}

void CSetUpDlg::OnSelchangeTab()
{
    if (m_pCurPage)
        m_pCurPage->hide();
    m_pCurPage = nullptr;
    const bool multi = ThisWorkstation().multiDetector;
    switch (m_tabCtrl->GetCurSel()) {
    case 0: m_pCurPage = m_pDetector; break;
    case 1: m_pCurPage = multi && m_pDetector2 ? m_pDetector2 : m_pGenerator; break;
    case 2: m_pCurPage = multi ? m_pGenerator : m_pSystem; break;
    case 3: m_pCurPage = m_pSystem; break;
    default: break;
    }
    if (m_pCurPage)
        m_pCurPage->show();
}

QStringList CSetUpDlg::TabTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_tabCtrl->GetItemCount(); ++i)
        texts << m_tabCtrl->GetItemText(i);
    return texts;
}

int CSetUpDlg::CurrentTab() const { return m_tabCtrl->GetCurSel(); }

void CSetUpDlg::SelectTab(int index) { m_tabCtrl->SelectAsUser(index); }

CSetUpDlg::Snapshot CSetUpDlg::TakeSnapshot(int slot) const
{
    Snapshot s;
    if (slot == 0) {
        s.pixelSpacing = g_Ini.GetString("Cor1", "PixelSpacing", "");
        if (s.pixelSpacing.isEmpty())
            s.pixelSpacing = g_Ini.GetString("Cor", "PixelSpacing", "");
    } else {
        s.pixelSpacing = g_Ini.GetString("Cor2", "PixelSpacing", "");
        if (s.pixelSpacing.isEmpty())
            s.pixelSpacing = g_Ini.GetString("Cor", "PixelSpacing2", "");
        if (s.pixelSpacing.isEmpty())
            s.pixelSpacing = g_Ini.GetString("Cor", "PixelSpacing", "");
    }
    s.path = g_Ini.GetString("Cor", "Path", "C:\\Cor\\channel");
    s.values = SlotValues::ReadFromCor();
    return s;
}

void CSetUpDlg::CopySlot(const char* section, const Snapshot& s) const
{
    s.values.WriteDefectView(section);
    g_Ini.WriteString(section, "Path", s.path);
    s.values.WriteFiles(section);
}

void CSetUpDlg::SaveAll()
{
    const bool multi = ThisWorkstation().multiDetector;
    // Both detector pages write their common values into [Cor]; each slot's
    // own values are taken right after its page has saved.
    std::optional<Snapshot> first, second;
    if (m_pDetector) {
        m_pDetector->OnOK();
        if (multi)
            first = TakeSnapshot(0);
    }
    if (m_pDetector2) {
        m_pDetector2->OnOK();
        if (multi)
            second = TakeSnapshot(1);
    }
    if (m_pGenerator)
        m_pGenerator->OnOK();
    if (m_pSystem)
        m_pSystem->OnOK();

    if (g_Ini.GetString("Cor", "PixelSpacing2", "").isEmpty())
        g_Ini.WriteString("Cor", "PixelSpacing2", g_Ini.GetString("Cor", "PixelSpacing", ""));
    if (multi)
        CopySnapshots(first, second);
}

void CSetUpDlg::CopySnapshots(const std::optional<Snapshot>& first,
                              const std::optional<Snapshot>& second) const
{
    const int d1 = g_Ini.GetInt("Cor1", "Device", 0);
    const int d2 = g_Ini.GetInt("Cor2", "Device", 0);
    // A slot without a page has no snapshot: none of its values are copied.
    if (first)
        g_Ini.WriteString("Cor", "PixelSpacing", first->pixelSpacing);
    if (second)
        g_Ini.WriteString("Cor", "PixelSpacing2", second->pixelSpacing);
    const struct {
        const char* section;
        int deviceId;
        const std::optional<Snapshot>& snapshot;
    } copies[] = {{"Cor1", d1, first}, {"Cor2", d2, second}};
    for (const auto& slot : copies) {
        g_Ini.WriteInt(slot.section, "Port", 1);
        if (slot.snapshot)
            CopySlot(slot.section, *slot.snapshot);
    }
    for (const auto& slot : copies)
        WriteFamilyKeys(slot.section, slot.deviceId);
    g_Ini.WriteInt("SYSTEM", "Modality Mode", 2);
}

void CSetUpDlg::OnOK()
{
    RunSaveTransaction([this] { SaveAll(); }, this);
    EndDialog(IDOK);
}

void CSetUpDlg::OnDestroy()
{
    delete m_pDetector;
    m_pDetector = nullptr;
    delete m_pDetector2;
    m_pDetector2 = nullptr;
    delete m_pGenerator;
    m_pGenerator = nullptr;
    delete m_pSystem;
    m_pSystem = nullptr;
    m_pCurPage = nullptr;
}
