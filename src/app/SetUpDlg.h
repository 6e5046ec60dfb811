#pragma once

// The one window of the settings mode: a tab per detector slot, the generator
// page and the system page; OK saves every page and copies the per-detector
// values between [Cor], [Cor1] and [Cor2].
#include "ui/Dialog.h"
#include "app/ScriptDriver.h"
#include "settings/SlotValues.h"

#include <QByteArray>

#include <memory>
#include <optional>

namespace Ui {
class SetUpDlg;
}
class CDetector;
class CTabCtrl;

class CSetUpDlg : public CDialog, public ScriptHost
{
    Q_OBJECT

public:
    CSetUpDlg();
    ~CSetUpDlg() override;

    void OnOK() override;
    void OnSelchangeTab();

    CDetector* m_pDetector = nullptr;
    CDetector* m_pDetector2 = nullptr;
    CDialog* m_pGenerator = nullptr;
    CDialog* m_pSystem = nullptr;
    CDialog* m_pCurPage = nullptr;

    // ScriptHost
    QStringList TabTexts() const override;
    int CurrentTab() const override;
    void SelectTab(int index) override;
    CDialog* CurrentPage() const override { return m_pCurPage; }
    void PressOK() override { OnOK(); }
    void PressCancel() override { OnCancel(); }
    bool ChooseMenuEntry(const QString& text) override;

    // The change lines OK would give now; writes nothing.
    QStringList PreviewLines();
    // Drops every page and builds the dialog again from the files, as at start.
    void Rebuild();

protected:
    void SetupUi() override;
    bool OnInitDialog() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The values of one detector slot that OK copies into [Cor1] or [Cor2].
    struct Snapshot {
        QByteArray pixelSpacing;
        QByteArray path;
        SlotValues values;
    };
    CDetector* CreateDetector(int deviceId, int slot, int slotPosition);
    void PlacePage(QWidget* page, bool show);
    Snapshot TakeSnapshot(int slot) const;
    void SaveAll();
    void CopySlot(const char* section, const Snapshot& snapshot) const;
    void CopySnapshots(const std::optional<Snapshot>& first,
                       const std::optional<Snapshot>& second) const;
    void OnDestroy();
    void AddMenuActions();
    void OnReviewChanges();
    void OnRestoreBackup();

    std::unique_ptr<Ui::SetUpDlg> m_ui;
    CTabCtrl* m_tabCtrl = nullptr;
};
