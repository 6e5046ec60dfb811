#include "pages/detectors/DlgSelDet.h"
#include "ui_DlgSelDet.h"

#include "pages/detectors/DetectorCatalog.h"
#include "ini/WinTypes.h"
#include "settings/Ini.h"
#include "settings/ListTokens.h"

namespace {

constexpr int kMaker = 1078;
constexpr int kModel = 1079;

} // namespace

CDlgSelDet::CDlgSelDet() : CDialog(140), m_ui(std::make_unique<Ui::DlgSelDet>()) {}

CDlgSelDet::~CDlgSelDet() = default;

void CDlgSelDet::SetupUi()
{
    m_ui->setupUi(this);
}

bool CDlgSelDet::OnInitDialog()
{
    OnSelChange(kMaker, [this] { OnSelchangeMaker(); });

    // The makers this workstation may pair come from the file, the models
    // of each from the catalog.
    QByteArray makers = g_Ini.GetString("Cor", "Multicor", "");
    QByteArray token;
    while (SplitFirstToken(makers, token)) {
        if (!token.isEmpty())
            AddString(kMaker, token.toUpper());
    }
    SetCurSel(kMaker, -1);
    SetCurSel(kModel, -1);
    return true;
}

void CDlgSelDet::OnSelchangeMaker()
{
    const int index = GetCurSel(kMaker);
    if (index < 0)
        return;
    const QByteArray maker = GetLBText(kMaker, index).toUpper();
    ResetContent(kModel);
    for (const DetectorModel* entry : CatalogModelsOf(maker))
        AddString(kModel, entry->model);
}

void CDlgSelDet::OnOK()
{
    const int makerIndex = GetCurSel(kMaker);
    const int modelIndex = GetCurSel(kModel);
    const QByteArray maker = makerIndex < 0 ? QByteArray() : GetLBText(kMaker, makerIndex);
    const QByteArray model = modelIndex < 0 ? QByteArray() : GetLBText(kModel, modelIndex);
    if (!maker.isEmpty() && !model.isEmpty()) {
        if (const DetectorModel* entry = FindCatalogModel(maker.toUpper(), model.toUpper())) {
            g_Ini.WriteInt("Cor2", "Device", entry->deviceId);
            g_Ini.WriteInt("Cor2", "DetType", entry->detType);
            g_Ini.WriteInt("Cor2", "OriH", entry->oriH);
            g_Ini.WriteInt("Cor2", "OriW", entry->oriW);
            g_Ini.WriteInt("Cor2", "Width", entry->width);
            g_Ini.WriteInt("Cor2", "Height", entry->height);
            g_Ini.WriteString("Cor2", "PixelSpacing", entry->pixelSpacing);
        }
    }
    EndDialog(IDOK);
}
