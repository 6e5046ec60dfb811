#pragma once

// Base of every detector page: keeps the slot position it was constructed
// with, and the modality group that nearly every page shares.
#include "pages/Page.h"
#include "ui/PageFactory.h"

class CDetector : public CPage
{
    Q_OBJECT

public:
    CDetector(int templateId, const PageContext& context);

    // The base page neither saves nor ends itself.
    void OnOK() override {}

    // 0 = the only detector, 1 = first of two (stand), 2 = second of two (table).
    const int m_nSlotPosition;

protected:
    // The three modality radios stand for "Modality Mode" 0, 1 and 2. Most
    // templates use 1032-1034; two use 1086-1088.
    struct ModalityButtons {
        int stand = 1032;
        int table = 1033;
        int both = 1034;
    };
    void SetModalityButtons(const ModalityButtons& buttons) { m_modality = buttons; }
    const ModalityButtons& Modality() const { return m_modality; }

    // Connects the three radios to OnModalityButton; call once from OnInitDialog.
    void ConnectModality();

    // Checks the button for [SYSTEM] "Modality Mode" (the first for any value
    // but 0, 1, 2). With honourVet, "IsVet" 1 disables the group and checks the
    // third button instead. Then runs that button's handler.
    void LoadModality(bool honourVet = false);

    // The same for pages that work out the mode themselves: checks the button
    // for mode (the first for any value but 0, 1, 2), or with vet disables the
    // group and checks the third; then runs that button's handler.
    void SetModality(int mode, bool vet);

    // Second of two detectors is the table detector, first the stand one,
    // whatever "Modality Mode" holds: the group is disabled and the button
    // for the slot checked, then its handler runs. Nothing when single.
    void ApplySlotPosition();

    // 0 stand, else 1 table, else 2 both, else 0.
    int CheckedModality() const;

    // The edit style "digits only": the user can type nothing else (the program
    // may still set any text). decimalPoint also lets a point be typed.
    void SetDigitsOnly(int id, bool decimalPoint = false);

    // The page's handler for a modality radio (0, 1, 2). Pages with rules that
    // depend on the modality override it.
    virtual void OnModalityButton(int mode) { Q_UNUSED(mode); }

private:
    void CheckModality(int mode);

    ModalityButtons m_modality;
};
