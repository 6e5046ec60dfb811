#include "pages/detectors/Detector.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "pages/Veterinary.h"
#include "settings/Ini.h"
#include "settings/IniKeys.h"

CDetector::CDetector(int templateId, const PageContext& context)
    : CPage(templateId), m_nSlotPosition(context.slotPosition)
{
}

void CDetector::ConnectModality()
{
    OnClicked(m_modality.stand, [this] { OnModalityButton(0); });
    OnClicked(m_modality.table, [this] { OnModalityButton(1); });
    OnClicked(m_modality.both, [this] { OnModalityButton(2); });
}

void CDetector::CheckModality(int mode)
{
    const int ids[] = {m_modality.stand, m_modality.table, m_modality.both};
    for (int i = 0; i < 3; ++i)
        CheckDlgButton(ids[i], i == mode ? 1 : 0);
}

void CDetector::LoadModality(bool honourVet)
{
    const bool vet = honourVet && IsPetVet(ReadVetKind());
    SetModality(g_Ini.GetInt(kSystem, kModalityMode, 0), vet);
}

void CDetector::SetModality(int mode, bool vet)
{
    if (mode < 0 || mode > 2)
        mode = 0;
    if (vet) {
        for (int id : {m_modality.stand, m_modality.table, m_modality.both})
            EnableDlgItem(id, false);
        mode = 2;
    }
    CheckModality(mode);
    OnModalityButton(mode);
}

void CDetector::ApplySlotPosition()
{
    if (m_nSlotPosition == 0)
        return;
    for (int id : {m_modality.stand, m_modality.table, m_modality.both}) {
        EnableDlgItem(id, false);
        CheckDlgButton(id, 0);
    }
    const int mode = m_nSlotPosition == 2 ? 1 : 0;
    CheckModality(mode);
    OnModalityButton(mode);
}

int CDetector::CheckedModality() const
{
    if (IsDlgButtonChecked(m_modality.stand))
        return 0;
    if (IsDlgButtonChecked(m_modality.table))
        return 1;
    if (IsDlgButtonChecked(m_modality.both))
        return 2;
    return 0;
}

void CDetector::SetDigitsOnly(int id, bool decimalPoint)
{
    auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id));
    if (!edit)
        return;
    const QRegularExpression digits(decimalPoint ? QStringLiteral("[0-9.]*")
                                                 : QStringLiteral("[0-9]*"));
    edit->setValidator(new QRegularExpressionValidator(digits, edit));
}
