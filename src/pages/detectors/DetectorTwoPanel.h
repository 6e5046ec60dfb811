#pragma once

// Common ground of the pages that configure a first panel (the stand) and a
// second one (the table, used only in Dual) side by side: Varian, Varian VSP,
// Perkin and Konica. They keep their values in the main INI file through a
// store of their own, and lift its read-only attribute around their save.
#include "pages/detectors/Detector.h"
#include "ini/ReadOnlyLift.h"
#include "settings/Ini.h"

#include <QByteArray>

#include <vector>

// The main INI file opened by its own path for one save: the read-only
// attribute is cleared first and set again afterwards when the file's
// attributes are then exactly normal (a file written in this run is not).
class MainIniSave
{
public:
    MainIniSave();

    const CIni& Ini() const { return m_ini; }

private:
    QByteArray m_path;
    CIni m_ini;
    ReadOnlyLift m_lift; // after m_ini: protects the file before the store goes
};

// Ids every two-panel template shares.
enum TwoPanelId : int {
    kFirstField = 1030,  // the first panel's folder, address or serial number
    kSecondField = 1031, // the second panel's, in use only in Dual
    kWidthA = 1041,
    kHeightA = 1042,
    kTypeA = 1054,
    kWidthB = 1057,
    kHeightB = 1058,
    kTypeB = 1059,
    kCutXA = 1060,
    kCutYA = 1061,
    kCutXB = 1062,
    kCutYB = 1063,
};

class CDetectorTwoPanel : public CDetector
{
    Q_OBJECT

public:
    CDetectorTwoPanel(int templateId, const PageContext& context);

    // The main INI file's path as these pages build it from the application folder.
    static QByteArray MainIniPath();

protected:
    enum Panel { PanelA = 0, PanelB = 1 };

    // The first panel's field is always in use; the second's only in Dual,
    // and is emptied otherwise.
    void OnModalityButton(int mode) override;

    // The radios as a save reads them: Dual first, then Table, else Stand.
    int SavedModality() const;

    // Width, height and cutting margins of both panels, bound to their edits.
    struct PanelFields {
        int width = 0;
        int height = 0;
        int cutX = 0;
        int cutY = 0;
        // In exchange order: width, height, cutting X, cutting Y.
        int& operator[](int i) { return i == 0 ? width : i == 1 ? height : i == 2 ? cutX : cutY; }
    };
    PanelFields m_panel[2];

    // Shows all eight fields in their edits.
    void ShowPanels();
    // Takes the eight edits into the fields; stops at the first that is not
    // an integer (after its message), leaving the rest as they were.
    bool TakePanels();
    // A panel type took effect: the panel's size changes, its margins are
    // brought into range, and everything is shown again. What was typed into
    // the edits so far is kept.
    void SetPanelSize(Panel panel, int width, int height);
    void ClampMargins();

    void SetDigitsOnly(const std::vector<int>& ids);
    using CDetector::SetDigitsOnly;
    void SetHidden(const std::vector<int>& ids);

private:
    void PeekPanels();
};

// A cutting margin runs from 0 to 1000; anything else counts as 0.
inline int ValidMargin(int value)
{
    return value >= 0 && value <= 1000 ? value : 0;
}

// Every doubled backslash made single, left to right.
QByteArray CollapseBackslashes(QByteArray text);
