#include "app/ReviewChangesDlg.h"
#include "ui_ReviewChangesDlg.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QListWidget>

CReviewChangesDlg::CReviewChangesDlg(const QStringList& lines)
    : CDialog(150), m_ui(std::make_unique<Ui::ReviewChangesDlg>()), m_lines(lines)
{
}

CReviewChangesDlg::~CReviewChangesDlg() = default;

QStringList CReviewChangesDlg::Lines() const
{
    QStringList lines;
    for (const QString& line : m_lines)
        lines << QStringLiteral("change: ") + line;
    return lines;
}

void CReviewChangesDlg::SetupUi()
{
    m_ui->setupUi(this);
    // Blanks at the ends of a value stand between its quotes: a fixed font
    // keeps each of them as wide as any other character.
    m_ui->lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMinimumSize(560, 260);
}

bool CReviewChangesDlg::OnInitDialog()
{
    // Items are added as text, never as code-page bytes: the lines are
    // already shown text.
    m_ui->lines->addItems(Lines());
    // The transcript tells them right after the dialog line.
    setProperty("openingLines", Lines());
    const bool none = m_lines.isEmpty();
    ShowDlgItem(IDC_NOTE, none);
    ShowDlgItem(IDC_CHANGES, !none);
    EnableDlgItem(IDC_COPY, !none);
    OnClicked(IDC_COPY, [this] { OnCopy(); });
    return true;
}

void CReviewChangesDlg::OnCopy()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(Lines().join(QLatin1Char('\n')) + QLatin1Char('\n'));
}
