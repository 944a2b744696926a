#pragma once

#include <QWidget>

#include <functional>

#include "uGlobal.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The options dialog's tab "&Triggers": the list of `TTriggers` and an editor for one
// trigger. Edits act on the shared list at once; the dialog owns this page.
class TTriggerEditor final : public QWidget
{
    Q_OBJECT
public:
    explicit TTriggerEditor(QWidget *parent = nullptr);

    // Runs the dialog's file dialog with these filters and hands a chosen path back.
    std::function<void(const QStringList &filters, std::function<void(const QString &)> chosen)> Browse;

    // The editor holds an edit not yet written into a trigger.
    bool TriggerChanged = false;
    // The trigger the editor controls belong to, or null.
    TTrigger *CurrentTrigger = nullptr;

    // Row count := the size of `TTriggers`, and every row's texts anew.
    void RefreshList();
    // The "Wanneer" column: "tijd na 14:30" or "altijd".
    static QString WhenColumnText(const TTrigger &trigger);

    // `row` is the newly selected row, -1 when the selection left the list.
    void lvTriggerSelectItem(int row);
    void btnTAddClick();
    void btnTEditClick();
    // False when the time text cannot be read; nothing is changed then.
    bool ApplyTriggerEdit();
    void btnTDelClick();
    void btnBrowseClick();
    void btnPlayClick();
    void eActionEnter();
    void cbxWhenChange();
    void eWhenChange();
    void chkTActiveClick();

    QTreeWidget *lvTrigger = nullptr;
    QPushButton *btnTAdd = nullptr;
    QPushButton *btnTEdit = nullptr;
    QPushButton *btnTDel = nullptr;
    QComboBox *cbxWhen = nullptr;
    QLineEdit *eWhen = nullptr;
    QCheckBox *chkTActive = nullptr;
    QComboBox *cbxWhat = nullptr;
    QComboBox *cbxWhy = nullptr;
    QLineEdit *eWhy = nullptr;
    QComboBox *cbxAction = nullptr;
    QLineEdit *eAction = nullptr;
    QPushButton *btnBrowse = nullptr;
    QPushButton *btnPlay = nullptr;
    QComboBox *cbxTType = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    void FillEditor(const TTrigger &trigger);
    void WriteEditor(TTrigger &trigger) const;
    // The threshold as it is stored: a number in plain form, else the text as typed.
    QString StoredValue() const;
    // The editor as a new dialog shows it.
    void ClearEditor();
    TTrigger *AddFromEditor();
    // Tells the user when the time text does not fit the kind of time condition.
    bool WhenTextAccepted() const;
    // The same when the threshold is no number.
    bool ValueAccepted() const;
    bool CompareAccepted() const;
    int SelectedRow() const;
    // The highlighted row is that of `CurrentTrigger`, so the buttons act on what is edited.
    void SelectCurrentTrigger();

    // Filling the editor from a trigger is no edit of the user's.
    bool m_filling = false;
};
