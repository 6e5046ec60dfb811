#pragma once

// The dialog base that pages and modal dialogs derive from: what the
// framework's dialog class gave the original, on Qt. Controls are found by the
// id that each widget of a .ui template carries as its dynamic property
// "ctrlId"; page logic talks to controls only through these calls, so the same
// code runs on screen, offscreen in tests and in scripted mode.
//
// Notifications keep Win32's rules: OnClicked and OnSelChange fire only for
// user actions (and scripted ones), OnEditChange also when the program sets
// the text.
#include <QByteArray>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QDialog;

class CDialog : public QWidget
{
    Q_OBJECT

public:
    explicit CDialog(int templateId, QWidget* parent = nullptr);
    ~CDialog() override;

    int TemplateId() const { return m_templateId; }

    // Creates the page inside parent (null for a top-level dialog): sets up the
    // template, then runs OnInitDialog. Returns false when it failed.
    bool Create(QWidget* parent);
    bool IsCreated() const { return m_created; }

    // Modal run: returns IDOK or IDCANCEL. On screen a window; in scripted mode
    // the script drives it.
    int DoModal(QWidget* owner = nullptr);
    void EndDialog(int result);
    bool IsModalRunning() const { return m_modalRunning; }
    int ModalResult() const { return m_modalResult; }

    // The dialog's OK and Cancel operations. Pages override OnOK as their save
    // routine, which writes and never closes anything.
    virtual void OnOK() { EndDialog(1); }
    virtual void OnCancel() { EndDialog(2); }

    // --- controls by id ---------------------------------------------------
    QWidget* GetDlgItem(int id) const;
    std::vector<int> ControlIds() const; // increasing
    static int CtrlId(const QWidget* w);

    void SetDlgItemText(int id, const QByteArray& text);
    void SetDlgItemText(int id, const char* text) { SetDlgItemText(id, QByteArray(text)); }
    QByteArray GetDlgItemText(int id) const;
    void SetDlgItemInt(int id, int value);
    // Signed; text that is not an integer gives 0 and *ok = false.
    int GetDlgItemInt(int id, bool* ok = nullptr) const;
    // Integer data exchange in the saving direction: a text that is not an
    // integer shows "Please enter an integer." and returns false.
    bool DdxInt(int id, int& value);

    void CheckDlgButton(int id, int check);
    int IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);

    void EnableDlgItem(int id, bool enable);
    bool IsDlgItemEnabled(int id) const;
    void ShowDlgItem(int id, bool show);
    bool IsDlgItemVisible(int id) const;
    void SetReadOnly(int id, bool readOnly);

    // Combo boxes and list boxes.
    int AddString(int id, const QByteArray& text);
    int AddString(int id, const char* text) { return AddString(id, QByteArray(text)); }
    void ResetContent(int id);
    int GetCount(int id) const;
    void SetItemData(int id, int index, qintptr value);
    qintptr GetItemData(int id, int index) const;
    void SetCurSel(int id, int index); // -1 clears the selection
    int GetCurSel(int id) const;       // -1 when none
    QByteArray GetLBText(int id, int index) const;
    // -1 when absent; list boxes compare without regard to case, as Win32 does.
    int FindStringExact(int id, const QByteArray& text,
                        Qt::CaseSensitivity cs = Qt::CaseInsensitive) const;

    // --- notifications ------------------------------------------------------
    void OnClicked(int id, std::function<void()> handler);
    void OnSelChange(int id, std::function<void()> handler);
    void OnEditChange(int id, std::function<void()> handler);
    // The handler gets the proposed change; the notification counts as handled.
    void OnDeltaPos(int id, std::function<void(int delta)> handler);

    // Scripted-mode access (the same paths a user's action takes).
    static QString KindOf(const QWidget* w);
    QString DumpLine(int id) const;

protected:
    // Derived classes set up their template here (m_ui->setupUi(this)).
    virtual void SetupUi() = 0;
    virtual bool OnInitDialog() { return true; }

private:
    void IndexControls();
    void ClearRadioGroup(QWidget* radio);

    int m_templateId;
    bool m_created = false;
    bool m_modalRunning = false;
    int m_modalResult = 0;
    QDialog* m_modalHost = nullptr;
    std::map<int, QWidget*> m_controls;
    bool m_settingSelection = false;
};
