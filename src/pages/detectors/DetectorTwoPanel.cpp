#include "pages/detectors/DetectorTwoPanel.h"

#include "settings/Workstation.h"

namespace {

// Edits of the eight fields, in exchange order: A width, height, cutting X,
// cutting Y, then B.
constexpr int kPanelIds[2][4] = {{kWidthA, kHeightA, kCutXA, kCutYA},
                                 {kWidthB, kHeightB, kCutXB, kCutYB}};

} // namespace

MainIniSave::MainIniSave()
    : m_path(CDetectorTwoPanel::MainIniPath()), m_ini(m_path.constData()),
      m_lift(m_path, ReadOnlyLift::After::Protect)
{
}

CDetectorTwoPanel::CDetectorTwoPanel(int templateId, const PageContext& context)
    : CDetector(templateId, context)
{
}

QByteArray CDetectorTwoPanel::MainIniPath()
{
    return ThisWorkstation().FilePathBytes(QStringLiteral("Kestrel.ini"));
}

void CDetectorTwoPanel::OnModalityButton(int mode)
{
    EnableDlgItem(kFirstField, true);
    EnableDlgItem(kSecondField, mode == 2);
    if (mode != 2)
        SetDlgItemText(kSecondField, "");
}

int CDetectorTwoPanel::SavedModality() const
{
    if (IsDlgButtonChecked(Modality().both))
        return 2;
    if (IsDlgButtonChecked(Modality().table))
        return 1;
    return 0;
}

void CDetectorTwoPanel::ShowPanels()
{
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < 4; ++i)
            SetDlgItemInt(kPanelIds[p][i], m_panel[p][i]);
    }
}

bool CDetectorTwoPanel::TakePanels()
{
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < 4; ++i) {
            if (!DdxInt(kPanelIds[p][i], m_panel[p][i]))
                return false;
        }
    }
    return true;
}

void CDetectorTwoPanel::PeekPanels()
{
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            const int value = GetDlgItemInt(kPanelIds[p][i], &ok);
            if (ok)
                m_panel[p][i] = value;
        }
    }
}

void CDetectorTwoPanel::SetPanelSize(Panel panel, int width, int height)
{
    PeekPanels();
    PanelFields& f = m_panel[panel];
    f.width = width;
    f.height = height;
    f.cutX = ValidMargin(f.cutX);
    f.cutY = ValidMargin(f.cutY);
    ShowPanels();
}

void CDetectorTwoPanel::ClampMargins()
{
    for (PanelFields& f : m_panel) {
        f.cutX = ValidMargin(f.cutX);
        f.cutY = ValidMargin(f.cutY);
    }
}

void CDetectorTwoPanel::SetDigitsOnly(const std::vector<int>& ids)
{
    for (int id : ids)
        SetDigitsOnly(id);
}

void CDetectorTwoPanel::SetHidden(const std::vector<int>& ids)
{
    for (int id : ids)
        ShowDlgItem(id, false);
}

QByteArray CollapseBackslashes(QByteArray text)
{
    return text.replace("\\\\", "\\");
}
