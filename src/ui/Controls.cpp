#include "ui/Controls.h"

#include <QBoxLayout>
#include <QVBoxLayout>
#include <QRegularExpressionValidator>
#include <QToolButton>

CUpDownCtrl::CUpDownCtrl(QWidget* parent)
    : QWidget(parent), m_enlarge(new QToolButton(this)), m_reduce(new QToolButton(this))
{
    for (QToolButton* b : {m_enlarge, m_reduce}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_enlarge, &QToolButton::clicked, this, [this] { emit deltaPos(-1); });
    connect(m_reduce, &QToolButton::clicked, this, [this] { emit deltaPos(1); });
    setHorizontal(false);
}

void CUpDownCtrl::setHorizontal(bool horizontal)
{
    m_horizontal = horizontal;
    delete layout();
    QBoxLayout* box = new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom,
                                     this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    m_enlarge->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
    m_reduce->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
    if (horizontal) {
        box->addWidget(m_reduce);
        box->addWidget(m_enlarge);
    } else {
        box->addWidget(m_enlarge);
        box->addWidget(m_reduce);
    }
}

CIPAddressCtrl::CIPAddressCtrl(QWidget* parent) : QLineEdit(parent)
{
    static const QRegularExpression dotted(
        QStringLiteral("^$|^\\d{1,3}(\\.\\d{0,3}){0,3}$"));
    setValidator(new QRegularExpressionValidator(dotted, this));
    setPlaceholderText(QStringLiteral("0.0.0.0"));
}

#include <QEvent>
#include <QTabBar>

CTabCtrl::CTabCtrl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)), m_area(new QWidget(this))
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(m_bar);
    box->addWidget(m_area, 1);
    m_bar->setDrawBase(true);
    m_bar->setExpanding(false);
    m_area->installEventFilter(this);
    connect(m_bar, &QTabBar::currentChanged, this, [this] {
        if (!m_inserting)
            emit selChange();
    });
}

void CTabCtrl::InsertItem(int position, const QString& text)
{
    m_inserting = true;
    m_bar->insertTab(position, text);
    m_inserting = false;
    m_texts.insert(position, text);
}

void CTabCtrl::DeleteAllItems()
{
    m_inserting = true;
    while (m_bar->count() > 0)
        m_bar->removeTab(0);
    m_inserting = false;
    m_texts.clear();
}

int CTabCtrl::GetItemCount() const { return m_bar->count(); }

QString CTabCtrl::GetItemText(int position) const { return m_texts.value(position); }

int CTabCtrl::GetCurSel() const { return m_bar->currentIndex(); }

void CTabCtrl::SelectAsUser(int position) { m_bar->setCurrentIndex(position); }

bool CTabCtrl::eventFilter(QObject* watched, QEvent* event)
{
    // Pages fill the area with a small margin, as the pages sat inside the
    // tab control's frame.
    if (watched == m_area && (event->type() == QEvent::Resize || event->type() == QEvent::ChildAdded)) {
        const QRect r = m_area->rect().adjusted(5, 5, -5, -5);
        for (QWidget* page : m_area->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            page->setGeometry(r);
    }
    return QWidget::eventFilter(watched, event);
}
