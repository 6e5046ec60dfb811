#pragma once

// Stand-ins for the two Win32 common controls that Qt lacks.
#include <QLineEdit>
#include <QWidget>

class QToolButton;

// Up-down control without a buddy. Each arrow press reports the proposed change
// as Win32 does under the default range (maximum below minimum): the arrow that
// enlarges the value (up, or right when horizontal) reports -1.
class CUpDownCtrl : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool horizontal READ isHorizontal WRITE setHorizontal)

public:
    explicit CUpDownCtrl(QWidget* parent = nullptr);

    bool isHorizontal() const { return m_horizontal; }
    void setHorizontal(bool horizontal);

    // Presses an arrow as the user would: emits deltaPos with the change.
    void press(int delta) { emit deltaPos(delta); }

signals:
    void deltaPos(int delta);

private:
    bool m_horizontal = false;
    QToolButton* m_enlarge;
    QToolButton* m_reduce;
};

// IP address field: dotted text, empty when blank.
class CIPAddressCtrl : public QLineEdit
{
    Q_OBJECT

public:
    explicit CIPAddressCtrl(QWidget* parent = nullptr);
};

class QTabBar;

// Tab control: a row of tabs over an area that holds the pages. Pages are
// children of PageParent(); switching tabs only notifies, the owner shows and
// hides pages itself.
class CTabCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit CTabCtrl(QWidget* parent = nullptr);

    void InsertItem(int position, const QString& text);
    void DeleteAllItems(); // the selection goes without a notification
    int GetItemCount() const;
    QString GetItemText(int position) const; // as given, "&&" included
    int GetCurSel() const;
    // Selects a tab as the user does: notifies selChange when it changes.
    void SelectAsUser(int position);
    QWidget* PageParent() const { return m_area; }

signals:
    void selChange();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTabBar* m_bar;
    QWidget* m_area;
    QStringList m_texts;
    bool m_inserting = false;
};
