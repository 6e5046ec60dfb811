// Every page the main dialog can create, and the modal dialogs, fit the window
// at its default size: loaded from settings that make the rules show their
// controls, every visible control lies inside the page and its group box,
// overlaps no other control and shows its whole text.
#include "app/AboutDlg.h"
#include "app/SetUpDlg.h"
#include "detectors/DirectPage.h"
#include "detectors/DlgSelDet.h"
#include "platform/Controls.h"
#include "platform/PageFactory.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace {

struct PageCase {
    const char* name; // shown on failure
    const char* className;
    int deviceId;
    int slotIndex;
    int slotPosition; // 0 the only detector, 1 and 2 the first and second of two
    const char* ini;  // kCommon fills in what it leaves out
};

// Single and two-detector variants wherever a page hides or shows controls for
// them; every id of a class that changes its page by device id.
const PageCase kPages[] = {
    {"Trixell", "CDetectorTrixell", 1, 0, 0, ""},
    {"Trixell second", "CDetectorTrixell", 2, 1, 2, ""},
    {"DRTECH USB", "CDetectorDrtech1", 3, 0, 0, ""},
    {"DRTECH USB second", "CDetectorDrtech1", 3, 0, 2, ""},
    {"Vadav", "CDetectorVadav", 8, 0, 0, ""},
    {"Vadav vet", "CDetectorVadav", 8, 0, 0, "[SYSTEM]\nIsVet=1\n"},
    {"Vadav second", "CDetectorVadav", 8, 1, 2, ""},
    {"DRTECH", "CDetectorDrtech", 11, 0, 0, ""},
    {"DRTECH first", "CDetectorDrtech", 11, 0, 1, ""},
    {"DRTECH second", "CDetectorDrtech", 11, 1, 2, ""},
    {"Varian", "CDetectorVarian", 12, 0, 0, ""},
    {"DRTECH LAN", "CDetectorDrtechLanMulti", 13, 0, 0, "[SYSTEM]\n3rdDet=1\n"},
    {"DRTECH LAN second", "CDetectorDrtechLanMulti", 17, 0, 2, ""},
    {"DRTECH mobile", "CDetectorDrtechMobile", 13, 0, 2, "[DetDrtech]\nDetType=4\nSMM1=2\n"},
    {"TETD", "CDetectorTetd", 15, 0, 0, ""},
    {"TETD second", "CDetectorTetd", 15, 0, 2, ""},
    {"Vieworks", "CDetectorOuter", 16, 0, 0, ""},
    {"TETD FPD", "CDetectorOuter", 18, 0, 0, ""},
    {"iRay Venu", "CDetectorOuter", 19, 0, 0, ""},
    {"iRay library", "CDetectorOuter", 24, 0, 0, ""},
    {"iRay library second", "CDetectorOuter", 24, 0, 2, ""},
    {"Atal", "CDetectorAtal", 20, 0, 0, ""},
    {"Atal second", "CDetectorAtal", 20, 0, 2, ""},
    {"Perkin", "CDetectorPerkin", 21, 0, 0, ""},
    {"Konica", "CDetectorKonica", 22, 0, 0, ""},
    {"Careray", "CDetectorCareray", 23, 0, 0, ""},
    {"Careray second", "CDetectorCareray", 23, 0, 2, ""},
    {"Varian VSP", "CDetectorVarianVsp", 25, 0, 0, ""},
    // Model, USB I/O and the automatic exposure row shown.
    {"Generator", "CGenerator", 12, 0, 0,
     "[CONTROLPANNEL]\nTypeGen=5\n[GENERATOR]\nMDPSC=2\n[SETUP]\nSYFMUSE=11;19;42\n"
     "[SYFMSDK]\nSYFMSDK=1\nTYPE=9\nAutoExp=1\nUSBPORT=2\n"},
    {"Generator vet", "CGenerator", 11, 0, 0, "[SYSTEM]\nIsVet=2\n[SETUP]\nSYFMUSE=11\n"},
    // The species and the second-detector group shown.
    {"System", "CDlgSystem", 11, 0, 0, "[SYSTEM]\nIsVet=2\n"},
    {"System two detectors", "CDlgSystem", 11, 0, 1, ""},
};

// Settings of a working station, for the keys a case leaves out.
struct CommonKey {
    const char* section;
    const char* key;
    const char* value;
};
const CommonKey kCommon[] = {
    {"Cor", "OriW", "3072"},
    {"Cor", "OriH", "3072"},
    {"Cor", "Width", "3000"},
    {"Cor", "Height", "3000"},
    {"Cor", "PixelSpacing", "0.140"},
    {"Cor", "Multicor", "DRTECH;VARIAN"},
    {"Cor", "Rotate1", "0"},
    {"Cor", "Rotate2", "90"},
    {"SYSTEM", "Modality Mode", "2"},
    {"SYSTEM", "IsViewSub", "1"},
    {"SYSTEM", "IsVoraView", "1"},
    {"CONTROLPANNEL", "TypeGen", "3"},
    {"CONTROLPANNEL", "WSforStand100", "XRAY-STAND"},
    {"CONTROLPANNEL", "WSforTable", "XRAY-TABLE"},
    {"CONTROLPANNEL", "WSforAux", "XRAY-AUX"},
    {"WORKLIST", "FileBasePath", "C:\\OCS"},
};
// Each slot of a two-detector station.
const std::pair<const char*, const char*> kSlot[] = {{"OriW", "2560"},
                                                     {"OriH", "3072"},
                                                     {"Width", "2560"},
                                                     {"Height", "3072"},
                                                     {"PixelSpacing", "0.139"}};

// One INI file as sections of "key=value" lines, in the order first seen.
using Sections = std::vector<std::pair<QByteArray, QList<QByteArray>>>;

void AddMissing(Sections& ini, const QByteArray& section, const QByteArray& key,
                const QByteArray& value)
{
    auto it =
        std::find_if(ini.begin(), ini.end(), [&](const auto& s) { return s.first == section; });
    if (it == ini.end())
        it = ini.insert(ini.end(), {section, {}});
    for (const QByteArray& line : it->second) {
        if (line.startsWith(key + '='))
            return;
    }
    it->second.append(key + '=' + value);
}

// The case's settings, with the common ones it leaves out added.
QByteArray Settings(const PageCase& c)
{
    Sections ini;
    QByteArray section;
    for (const QByteArray& line : QByteArray(c.ini).split('\n')) {
        if (line.startsWith('['))
            section = line.mid(1, line.indexOf(']') - 1);
        else if (line.contains('='))
            AddMissing(ini, section, line.left(line.indexOf('=')), line.mid(line.indexOf('=') + 1));
    }
    const bool two = c.slotPosition != 0;
    AddMissing(ini, "CONTROLPANNEL", "Device", QByteArray::number(c.deviceId));
    AddMissing(ini, "Cor", "UseMultiCor", two ? "1" : "0");
    for (const CommonKey& k : kCommon)
        AddMissing(ini, k.section, k.key, k.value);
    for (const char* slot : {"Cor1", "Cor2"}) {
        if (!two)
            break;
        AddMissing(ini, slot, "Device", QByteArray::number(c.deviceId));
        for (const auto& [key, value] : kSlot)
            AddMissing(ini, slot, key, value);
    }
    QByteArray text;
    for (const auto& [name, lines] : ini)
        text += '[' + name + "]\n" + lines.join('\n') + '\n';
    return text;
}

// Pages that depend on the program's folder find the workstation there.
class AppDirScope
{
public:
    explicit AppDirScope(const Workstation& ws)
        : m_previous(std::exchange(theApp.m_strAppDir, ws.Dir() + QLatin1Char('/')))
    {
    }
    ~AppDirScope() { theApp.m_strAppDir = m_previous; }
    AppDirScope(const AppDirScope&) = delete;
    AppDirScope& operator=(const AppDirScope&) = delete;

private:
    QString m_previous;
};

// The page area of the main dialog at its default size.
QSize PageAreaSize()
{
    static const QSize size = [] {
        Workstation ws;
        ws.WriteIni("[CONTROLPANNEL]\nDevice=16\n");
        DirectPageScope scope(ws, false, 0);
        CSetUpDlg dlg;
        dlg.Create(nullptr);
        dlg.resize(dlg.minimumSize());
        dlg.show();
        QApplication::processEvents();
        return dlg.findChild<CTabCtrl*>()->PageParent()->size();
    }();
    return size;
}

bool IsControl(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QProgressBar*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QGroupBox*>(w) ||
           qobject_cast<const CUpDownCtrl*>(w);
}

// The visible controls under w; group boxes and plain containers are looked into.
void CollectControls(QWidget* w, const QWidget* page, std::vector<QWidget*>& out)
{
    for (QWidget* child : w->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isVisibleTo(page) || child->isWindow())
            continue;
        if (IsControl(child))
            out.push_back(child);
        if (!IsControl(child) || qobject_cast<QGroupBox*>(child))
            CollectControls(child, page, out);
    }
}

QString Name(const QWidget* w)
{
    const int id = CDialog::CtrlId(w);
    return id >= 0 ? QStringLiteral("%1 (%2)").arg(id).arg(w->objectName()) : w->objectName();
}

QString Text(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    return QString();
}

// The width the control needs to show its whole text (0 when it has none).
int NeededWidth(const QWidget* w)
{
    if (const auto* push = qobject_cast<const QPushButton*>(w)) {
        // The style's minimum button width is a look, not a need.
        const QString text = QString(push->text()).remove(QLatin1Char('&'));
        return push->fontMetrics().horizontalAdvance(text) +
               2 * push->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, push);
    }
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->wordWrap() ? 0 : label->sizeHint().width();
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w) ||
        qobject_cast<const QComboBox*>(w))
        return w->sizeHint().width();
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
        return group->minimumSizeHint().width();
    // Numbers show whole; names and paths may scroll, as in any edit field.
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        static const QRegularExpression number(QStringLiteral("^-?[0-9.]+$"));
        if (!number.match(edit->text()).hasMatch())
            return 0;
        const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        return edit->fontMetrics().horizontalAdvance(edit->text()) + 2 * frame + 4;
    }
    return 0;
}

int NeededHeight(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->wordWrap())
            return label->heightForWidth(label->width());
    }
    if (qobject_cast<const QGroupBox*>(w))
        return 0; // holds what it holds; checked from the inside
    return w->minimumSizeHint().height();
}

// Where a child of w may lie: inside a group box's frame, below its title.
QRect Inside(const QWidget* w)
{
    return qobject_cast<const QGroupBox*>(w) ? w->contentsRect() : w->rect();
}

QStringList LayoutFaults(QWidget* page)
{
    std::vector<QWidget*> controls;
    CollectControls(page, page, controls);
    QStringList faults;
    if (controls.empty())
        faults << QStringLiteral("no visible control");
    auto inPage = [page](const QWidget* w) {
        return QRect(w->mapTo(page, QPoint(0, 0)), w->size());
    };
    for (size_t i = 0; i < controls.size(); ++i) {
        const QWidget* w = controls[i];
        for (const QWidget* a = w->parentWidget(); a; a = a->parentWidget()) {
            if (!Inside(a).contains(QRect(w->mapTo(a, QPoint(0, 0)), w->size())))
                faults << Name(w) + QStringLiteral(" sticks out of ") + Name(a);
            if (a == page)
                break;
        }
        if (w->width() < NeededWidth(w))
            faults << QStringLiteral("%1 \"%2\" is %3 wide, needs %4")
                          .arg(Name(w), Text(w))
                          .arg(w->width())
                          .arg(NeededWidth(w));
        if (w->height() < NeededHeight(w))
            faults << QStringLiteral("%1 \"%2\" is %3 high, needs %4")
                          .arg(Name(w), Text(w))
                          .arg(w->height())
                          .arg(NeededHeight(w));
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const QWidget* v = controls[j];
            if (w->isAncestorOf(v) || v->isAncestorOf(w))
                continue;
            if (inPage(w).intersects(inPage(v)))
                faults << Name(w) + QStringLiteral(" overlaps ") + Name(v);
        }
    }
    return faults;
}

std::string Report(const QStringList& faults)
{
    return faults.join(QLatin1Char('\n')).toStdString();
}

} // namespace

class PageLayout : public ::testing::TestWithParam<PageCase>
{
};

TEST_P(PageLayout, FitsThePageAreaWithoutOverlapOrCutText)
{
    const PageCase& c = GetParam();
    const QSize areaSize = PageAreaSize();
    Workstation ws;
    ws.WriteIni(Settings(c));
    DirectPageScope scope(ws, c.slotPosition != 0, c.slotPosition);
    AppDirScope appDir(ws);

    QWidget area;
    area.resize(areaSize);
    std::unique_ptr<CDialog> page(CreatePageByName(c.className, &area, c.slotIndex, c.deviceId));
    ASSERT_TRUE(page) << c.className;
    page->setGeometry(area.rect().adjusted(5, 5, -5, -5));
    area.show();
    QApplication::processEvents();
    const QStringList faults = LayoutFaults(page.get());
    EXPECT_TRUE(faults.isEmpty()) << c.name << ":\n"
                                  << Report(faults) << "\nwith:\n"
                                  << ws.Read(QStringLiteral("Kestrel.ini")).toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryPage, PageLayout, ::testing::ValuesIn(kPages),
                         [](const ::testing::TestParamInfo<PageCase>& test) {
                             std::string name = test.param.name;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             }
                             return name;
                         });

TEST(PageLayoutCases, CoverEveryClassTheMainDialogCanCreate)
{
    std::set<std::string> covered;
    for (const PageCase& c : kPages)
        covered.insert(c.className);
    for (const std::string& name : RegisteredPageClasses())
        EXPECT_EQ(covered.count(name), 1u) << name << " has no layout case";
}

// The modal dialogs at the size their window opens with.
TEST(ModalDialogLayout, FitsTheWindowItOpensWith)
{
    const QSize area = PageAreaSize();
    Workstation ws;
    ws.WriteIni("[Cor]\nMulticor=DRTECH;VARIAN\n");
    DirectPageScope scope(ws, false, 0);
    for (CDialog* dlg : std::initializer_list<CDialog*>{new CDlgSelDet, new CAboutDlg}) {
        // As the modal run hosts it.
        QDialog host;
        auto* layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(dlg);
        ASSERT_TRUE(dlg->Create(&host));
        host.show();
        QApplication::processEvents();
        EXPECT_LE(host.width(), area.width()) << dlg->windowTitle().toStdString();
        EXPECT_LE(host.height(), area.height()) << dlg->windowTitle().toStdString();
        const QStringList faults = LayoutFaults(dlg);
        EXPECT_TRUE(faults.isEmpty()) << dlg->windowTitle().toStdString() << ":\n"
                                      << Report(faults);
    }
}
