#include "app/RestoreBackupDlg.h"
#include "ui_RestoreBackupDlg.h"

#include "settings/SaveTransaction.h"
#include "ui/MessageBox.h"
#include "ini/Profile.h"
#include "ui/Transcript.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QMessageBox>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// One file's keys as reads return them, sections and keys in file order.
using Keys = std::vector<std::pair<std::string, std::string>>;
using Sections = std::vector<std::pair<std::string, Keys>>;

std::string Fold(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// What a read gives, grown until it fits: a value, or names each ended by NUL.
std::string Read(const char* section, const char* key, const std::string& file)
{
    std::vector<char> buffer(4096);
    for (;;) {
        const DWORD n = GetPrivateProfileStringA(section, key, "", buffer.data(),
                                                 DWORD(buffer.size()), file.c_str());
        if (n + 2 < buffer.size())
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::string> Names(const std::string& list)
{
    std::vector<std::string> names, folded;
    for (std::size_t at = 0; at < list.size(); at = list.find('\0', at) + 1) {
        std::string name = list.substr(at, list.find('\0', at) - at);
        // A name given twice reads as its first line only.
        if (std::find(folded.begin(), folded.end(), Fold(name)) != folded.end())
            continue;
        folded.push_back(Fold(name));
        names.push_back(std::move(name));
    }
    return names;
}

Sections ReadFile(const std::string& file)
{
    Sections sections;
    for (const std::string& section : Names(Read(nullptr, nullptr, file))) {
        Keys keys;
        for (const std::string& key : Names(Read(section.c_str(), nullptr, file)))
            keys.emplace_back(key, Read(section.c_str(), key.c_str(), file));
        sections.emplace_back(section, std::move(keys));
    }
    return sections;
}

std::optional<std::string> Find(const Sections& sections, const std::string& section,
                                const std::string& key)
{
    for (const auto& [name, keys] : sections) {
        if (Fold(name) != Fold(section))
            continue;
        for (const auto& [k, value] : keys) {
            if (Fold(k) == Fold(key))
                return value;
        }
    }
    return std::nullopt;
}

// Yes or No on screen; in scripted mode told and answered Yes, as every box
// there is answered with the button that goes on.
bool Confirm(const QString& text, QWidget* parent)
{
    if (transcript::Active() || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        transcript::Line(QLatin1String("message: ") + transcript::Escape(text));
        return true;
    }
    return QMessageBox::question(parent, QStringLiteral("SetUp"), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

CRestoreBackupDlg::CRestoreBackupDlg(const QString& folder)
    : CDialog(151), m_ui(std::make_unique<Ui::RestoreBackupDlg>()), m_folder(folder)
{
}

CRestoreBackupDlg::~CRestoreBackupDlg() = default;

void CRestoreBackupDlg::SetupUi()
{
    m_ui->setupUi(this);
    m_ui->differences->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMinimumSize(560, 320);
}

bool CRestoreBackupDlg::OnInitDialog()
{
    m_copies = backup::List(m_folder);
    for (int i = 0; i < m_copies.size(); ++i)
        m_ui->backups->addItem(backup::ListLine(i + 1, m_copies[i]));
    if (m_copies.isEmpty())
        SetDlgItemText(IDC_NOTE,
                       "There are no backups yet: OK keeps one of each file it replaces.");
    OnSelChange(IDC_BACKUPS, [this] { OnSelchangeBackups(); });
    return true;
}

void CRestoreBackupDlg::ChooseBackup(int row)
{
    m_ui->backups->setCurrentRow(row);
}

void CRestoreBackupDlg::OnSelchangeBackups()
{
    const int row = GetCurSel(IDC_BACKUPS);
    m_ui->differences->clear();
    EnableDlgItem(IDC_RESTORE, row >= 0);
    if (row < 0 || row >= m_copies.size())
        return;
    const QStringList lines = Differences(m_folder, m_copies[row]);
    m_ui->differences->addItems(lines);
    SetDlgItemText(IDC_NOTE, lines.isEmpty()
                                 ? "No changes: the backup holds the values the file holds."
                                 : "Restore changes these keys:");
}

QStringList CRestoreBackupDlg::Differences(const QString& folder, const backup::Entry& copy)
{
    const std::string target = QFile::encodeName(backup::TargetOf(folder, copy)).toStdString();
    const Sections present = ReadFile(target);
    const Sections kept = ReadFile(QFile::encodeName(copy.path).toStdString());
    QStringList lines;
    auto add = [&](const std::string& section, const std::string& key,
                   std::optional<std::string> before, std::optional<std::string> after) {
        if (before != after)
            lines << QStringLiteral("change: ") +
                         ChangeLine({target, section, key, std::move(before), std::move(after)});
    };
    for (const auto& [section, keys] : kept) {
        for (const auto& [key, value] : keys)
            add(section, key, Find(present, section, key), value);
    }
    for (const auto& [section, keys] : present) {
        for (const auto& [key, value] : keys) {
            if (!Find(kept, section, key))
                add(section, key, value, std::nullopt);
        }
    }
    return lines;
}

void CRestoreBackupDlg::OnOK()
{
    const int row = GetCurSel(IDC_BACKUPS);
    if (row < 0 || row >= m_copies.size())
        return;
    const backup::Entry copy = m_copies[row];
    if (profile::DryRun()) {
        AfxMessageBox(QStringLiteral("A dry run writes nothing: the backup is not restored."),
                      this);
        return;
    }
    const QString when =
        copy.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    if (!Confirm(QStringLiteral("Put back %1 as it was at %2? The present file is kept as a "
                                "backup first. Edits not yet saved are dropped, and the editor "
                                "starts again on the restored files.")
                     .arg(copy.fileName, when),
                 this))
        return;
    QString warning;
    const QString reason = backup::Restore(m_folder, copy, &warning);
    if (!warning.isEmpty())
        AfxMessageBox(QStringLiteral("Could not back up %1 (%2); it is restored without a backup.")
                          .arg(copy.fileName, warning),
                      this);
    if (!reason.isEmpty()) {
        AfxMessageBox(QStringLiteral("Could not restore %1: %2").arg(copy.fileName, reason), this);
        return;
    }
    // Every later read must see the restored content.
    profile::ClearCache();
    EndDialog(IDOK);
}
