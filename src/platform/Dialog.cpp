#include "platform/Dialog.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/MessageBox.h"
#include "platform/ScriptDriver.h"
#include "platform/Transcript.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

QString RadioGroupKey(QWidget* radio)
{
    return radio->property("radioGroup").toString();
}

// Win32 stops parsing an integer at the first character that is not a digit;
// the framework's exchange refuses anything but a whole (optionally signed) number.
bool ParseInt(const QString& text, int* value)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (ok)
        *value = v;
    return ok;
}

} // namespace

CDialog::CDialog(int templateId, QWidget* parent) : QWidget(parent), m_templateId(templateId) {}

CDialog::~CDialog() = default;

bool CDialog::Create(QWidget* parent)
{
    if (m_created)
        return true;
    if (parent)
        setParent(parent);
    SetupUi();
    IndexControls();
    m_created = true;
    // Buttons 1 and 2 are the dialog's own OK and Cancel.
    if (auto* ok = qobject_cast<QAbstractButton*>(GetDlgItem(1)))
        connect(ok, &QAbstractButton::clicked, this, [this] { OnOK(); });
    if (auto* cancel = qobject_cast<QAbstractButton*>(GetDlgItem(2)))
        connect(cancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    OnInitDialog();
    return true;
}

void CDialog::IndexControls()
{
    m_controls.clear();
    const auto widgets = findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        const QVariant id = w->property("ctrlId");
        if (id.isValid())
            m_controls[id.toInt()] = w;
        if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            // Groups are kept by hand, as Win32 auto radio buttons do: a click
            // checks the button and clears the others of its group; the program
            // may also clear all of them.
            radio->setAutoExclusive(false);
            connect(radio, &QRadioButton::clicked, this, [this, radio] {
                radio->setChecked(true);
                ClearRadioGroup(radio);
            });
        }
    }
}

void CDialog::ClearRadioGroup(QWidget* radio)
{
    const QString key = RadioGroupKey(radio);
    for (QRadioButton* other : radio->parentWidget()->findChildren<QRadioButton*>(
             QString(), Qt::FindDirectChildrenOnly)) {
        if (other != radio && RadioGroupKey(other) == key)
            other->setChecked(false);
    }
}

int CDialog::CtrlId(const QWidget* w)
{
    const QVariant id = w ? w->property("ctrlId") : QVariant();
    return id.isValid() ? id.toInt() : -1;
}

QWidget* CDialog::GetDlgItem(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

std::vector<int> CDialog::ControlIds() const
{
    std::vector<int> ids;
    for (const auto& entry : m_controls)
        ids.push_back(entry.first);
    return ids;
}

void CDialog::SetDlgItemText(int id, const QByteArray& text)
{
    QWidget* w = GetDlgItem(id);
    const QString s = FromCodePage(text);
    // A Windows edit takes any text the program sets; its limit only stops
    // typing. Qt's would cut a longer value, which OK would then write back.
    auto fit = [&s](QLineEdit* e) {
        if (e && s.size() > e->maxLength())
            e->setMaxLength(int(s.size()));
    };
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        fit(e);
        e->setText(s);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->isEditable()) {
            fit(c->lineEdit());
            c->setEditText(s);
        }
    } else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(s);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(s);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(s);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        p->setPlainText(s);
}

QByteArray CDialog::GetDlgItemText(int id) const
{
    QWidget* w = GetDlgItem(id);
    QString s;
    if (auto* e = qobject_cast<QLineEdit*>(w))
        s = e->text();
    else if (auto* c = qobject_cast<QComboBox*>(w))
        s = c->currentText();
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        s = b->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
        s = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        s = g->title();
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        s = p->toPlainText();
    return ToCodePage(s);
}

void CDialog::SetDlgItemInt(int id, int value)
{
    SetDlgItemText(id, QByteArray::number(value));
}

int CDialog::GetDlgItemInt(int id, bool* ok) const
{
    int value = 0;
    const bool parsed = ParseInt(FromCodePage(GetDlgItemText(id)), &value);
    if (ok)
        *ok = parsed;
    return parsed ? value : 0;
}

bool CDialog::DdxInt(int id, int& value)
{
    int v = 0;
    if (!ParseInt(FromCodePage(GetDlgItemText(id)), &v)) {
        AfxMessageBox(QStringLiteral("Please enter an integer."), this);
        if (QWidget* w = GetDlgItem(id))
            w->setFocus();
        return false;
    }
    value = v;
    return true;
}

void CDialog::CheckDlgButton(int id, int check)
{
    auto* b = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    if (!b)
        return;
    b->setChecked(check != 0);
}

int CDialog::IsDlgButtonChecked(int id) const
{
    auto* b = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return b && b->isCheckable() && b->isChecked() ? 1 : 0;
}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId)
{
    for (int id = firstId; id <= lastId; ++id)
        CheckDlgButton(id, id == checkId ? 1 : 0);
}

void CDialog::EnableDlgItem(int id, bool enable)
{
    if (QWidget* w = GetDlgItem(id))
        w->setEnabled(enable);
}

bool CDialog::IsDlgItemEnabled(int id) const
{
    QWidget* w = GetDlgItem(id);
    return w && w->isEnabledTo(const_cast<CDialog*>(this)) && w->isEnabled();
}

void CDialog::ShowDlgItem(int id, bool show)
{
    if (QWidget* w = GetDlgItem(id))
        w->setVisible(show);
}

bool CDialog::IsDlgItemVisible(int id) const
{
    QWidget* w = GetDlgItem(id);
    return w && w->isVisibleTo(const_cast<CDialog*>(this));
}

void CDialog::SetReadOnly(int id, bool readOnly)
{
    if (auto* e = qobject_cast<QLineEdit*>(GetDlgItem(id)))
        e->setReadOnly(readOnly);
}

int CDialog::AddString(int id, const QByteArray& text)
{
    QWidget* w = GetDlgItem(id);
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        // Sorted lists insert in order, as CBS_SORT does (the insert policy
        // only applies to typed entries).
        int at = c->count();
        if (c->property("sorted").toBool()) {
            at = 0;
            while (at < c->count() &&
                   QString::compare(c->itemText(at), FromCodePage(text), Qt::CaseInsensitive) <= 0)
                ++at;
        }
        const int keep = c->currentIndex();
        c->insertItem(at, FromCodePage(text));
        if (keep < 0)
            c->setCurrentIndex(-1);
        return at;
    }
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        l->addItem(FromCodePage(text));
        return l->count() - 1;
    }
    return -1;
}

void CDialog::ResetContent(int id)
{
    QWidget* w = GetDlgItem(id);
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        c->clear();
        if (c->isEditable())
            c->setEditText(QString());
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        m_settingSelection = true;
        l->clear();
        m_settingSelection = false;
    }
}

int CDialog::GetCount(int id) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->count();
    if (auto* l = qobject_cast<QListWidget*>(w))
        return l->count();
    return 0;
}

void CDialog::SetItemData(int id, int index, qintptr value)
{
    QWidget* w = GetDlgItem(id);
    if (auto* c = qobject_cast<QComboBox*>(w))
        c->setItemData(index, QVariant::fromValue<qlonglong>(value));
    else if (auto* l = qobject_cast<QListWidget*>(w)) {
        if (QListWidgetItem* item = l->item(index))
            item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(value));
    }
}

qintptr CDialog::GetItemData(int id, int index) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* c = qobject_cast<QComboBox*>(w))
        return index >= 0 && index < c->count() ? qintptr(c->itemData(index).toLongLong()) : -1;
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        QListWidgetItem* item = l->item(index);
        return item ? qintptr(item->data(Qt::UserRole).toLongLong()) : -1;
    }
    return -1;
}

void CDialog::SetCurSel(int id, int index)
{
    QWidget* w = GetDlgItem(id);
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
        if (c->currentIndex() < 0 && c->isEditable())
            c->setEditText(QString());
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        m_settingSelection = true;
        l->setCurrentRow(index >= 0 && index < l->count() ? index : -1);
        if (index < 0)
            l->clearSelection();
        m_settingSelection = false;
    }
}

int CDialog::GetCurSel(int id) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        // Text typed into the edit field leaves the box without a selection.
        if (c->currentIndex() >= 0 && c->isEditable() &&
            c->currentText() != c->itemText(c->currentIndex()))
            return -1;
        return c->currentIndex();
    }
    if (auto* l = qobject_cast<QListWidget*>(w))
        return l->selectedItems().isEmpty() ? -1 : l->currentRow();
    return -1;
}

QByteArray CDialog::GetLBText(int id, int index) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* c = qobject_cast<QComboBox*>(w))
        return index >= 0 && index < c->count() ? ToCodePage(c->itemText(index)) : QByteArray();
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        QListWidgetItem* item = l->item(index);
        return item ? ToCodePage(item->text()) : QByteArray();
    }
    return QByteArray();
}

int CDialog::FindStringExact(int id, const QByteArray& text, Qt::CaseSensitivity cs) const
{
    const int n = GetCount(id);
    for (int i = 0; i < n; ++i) {
        if (GetLBText(id, i).compare(text, cs) == 0)
            return i;
    }
    return -1;
}

void CDialog::OnClicked(int id, std::function<void()> handler)
{
    if (auto* b = qobject_cast<QAbstractButton*>(GetDlgItem(id)))
        connect(b, &QAbstractButton::clicked, this, [handler] { handler(); });
}

void CDialog::OnSelChange(int id, std::function<void()> handler)
{
    QWidget* w = GetDlgItem(id);
    if (auto* c = qobject_cast<QComboBox*>(w))
        connect(c, &QComboBox::activated, this, [handler] { handler(); });
    else if (auto* l = qobject_cast<QListWidget*>(w))
        connect(l, &QListWidget::itemSelectionChanged, this, [this, handler] {
            if (!m_settingSelection)
                handler();
        });
}

void CDialog::OnEditChange(int id, std::function<void()> handler)
{
    QWidget* w = GetDlgItem(id);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        connect(e, &QLineEdit::textChanged, this, [handler] { handler(); });
    else if (auto* c = qobject_cast<QComboBox*>(w))
        connect(c, &QComboBox::editTextChanged, this, [handler] { handler(); });
}

void CDialog::OnDeltaPos(int id, std::function<void(int)> handler)
{
    if (auto* u = qobject_cast<CUpDownCtrl*>(GetDlgItem(id)))
        connect(u, &CUpDownCtrl::deltaPos, this, [handler](int delta) { handler(delta); });
}

QString CDialog::KindOf(const QWidget* w)
{
    if (qobject_cast<const CUpDownCtrl*>(w))
        return QStringLiteral("updown");
    if (qobject_cast<const CIPAddressCtrl*>(w))
        return QStringLiteral("ip");
    if (qobject_cast<const QRadioButton*>(w))
        return QStringLiteral("radio");
    if (qobject_cast<const QCheckBox*>(w))
        return QStringLiteral("check");
    if (qobject_cast<const QAbstractButton*>(w))
        return QStringLiteral("button");
    if (qobject_cast<const QComboBox*>(w))
        return QStringLiteral("combo");
    if (qobject_cast<const QListWidget*>(w))
        return QStringLiteral("list");
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
        qobject_cast<const QTextEdit*>(w))
        return QStringLiteral("edit");
    if (qobject_cast<const QGroupBox*>(w))
        return QStringLiteral("group");
    if (qobject_cast<const QProgressBar*>(w))
        return QStringLiteral("progress");
    return QStringLiteral("label");
}

QString CDialog::DumpLine(int id) const
{
    QWidget* w = GetDlgItem(id);
    const QString kind = KindOf(w);
    QStringList items;
    if (kind == QLatin1String("combo") || kind == QLatin1String("list")) {
        for (int i = 0; i < GetCount(id); ++i)
            items << QLatin1Char('"') + transcript::Escape(GetLBText(id, i)) + QLatin1Char('"');
    }
    const bool list = kind == QLatin1String("combo") || kind == QLatin1String("list");
    QByteArray text = GetDlgItemText(id);
    if (kind == QLatin1String("updown") || kind == QLatin1String("progress"))
        text.clear();
    // Joined, not chained through arg(): a text holding "%1" must stay as it is.
    auto flag = [](bool on) { return on ? QLatin1String("1") : QLatin1String("0"); };
    return QStringLiteral("control ") + QString::number(id) + QLatin1Char(' ') + kind +
           QLatin1String(" visible=") + flag(IsDlgItemVisible(id)) + QLatin1String(" enabled=") +
           flag(IsDlgItemEnabled(id)) + QLatin1String(" checked=") +
           QString::number(IsDlgButtonChecked(id)) + QLatin1String(" sel=") +
           QString::number(list ? GetCurSel(id) : -1) + QLatin1String(" text=\"") +
           transcript::Escape(text) + QLatin1String("\" items=[") + items.join(QLatin1Char(',')) +
           QLatin1Char(']');
}

int CDialog::DoModal(QWidget* owner)
{
    if (!Create(nullptr))
        return IDCANCEL;
    m_modalResult = 0;
    m_modalRunning = true;
    if (ScriptDriver* driver = ScriptDriver::Current()) {
        const int result = driver->RunModal(*this);
        m_modalRunning = false;
        return result;
    }
    QDialog host(owner);
    host.setWindowTitle(windowTitle());
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    setParent(&host);
    layout->addWidget(this);
    m_modalHost = &host;
    // Closing the window is Cancel.
    connect(&host, &QDialog::rejected, this, [this] {
        if (m_modalRunning && m_modalResult == 0)
            m_modalResult = IDCANCEL;
    });
    host.exec();
    m_modalHost = nullptr;
    m_modalRunning = false;
    setParent(nullptr);
    return m_modalResult == 0 ? IDCANCEL : m_modalResult;
}

void CDialog::EndDialog(int result)
{
    m_modalResult = result;
    if (m_modalHost)
        m_modalHost->done(result);
}
