#pragma once

#include <QWidget>

#include <functional>

class QComboBox;
class QTableWidget;
struct TFetchReply;

// The options dialog's tab "&Uitbetaling": the payout rules as a grid of programme,
// country, access type and amount, whose first three columns are edited with combo boxes
// laid over the cells. The rules change only when the dialog's OK rebuilds them.
class TPayoutEditor final : public QWidget
{
    Q_OBJECT
public:
    explicit TPayoutEditor(QWidget *parent = nullptr);

    // Shows a text in the dialog's status label.
    std::function<void(const QString &)> ShowInfo;
    // Whether the dialog is still open; replies that arrive later are ignored.
    std::function<bool()> DialogOpen;

    // The grid has been filled from the rules since the dialog was opened.
    bool PayoutLoaded = false;

    // The tab was opened: the grid anew from the rules, fetching the programmes first when
    // none are known.
    void Open();
    void FillPayoutGrid();
    void PProgsFetched(const TFetchReply &reply);
    // OK: the rules from the grid, applied to the programmes.
    void RebuildRules();

    void ShowCellEditor(bool dropDown);
    void sgPayoutEnter();
    void sgPayoutMouseUp();
    void sgPayoutKeyDown(int key);
    void cbxPProgChange();
    void cbxCountryChange();
    void cbxAccessChange();

    // A grid row's texts: programme, country, access type, amount.
    QStringList RowTexts(int row) const;
    // An amount as the grid writes it: the general number form of the user's locale.
    static QString AmountText(double amount);

    QTableWidget *sgPayout = nullptr;
    QComboBox *cbxPProg = nullptr;
    QComboBox *cbxCountry = nullptr;
    QComboBox *cbxAccess = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool CellEditorFocused() const;
    void ResetGrid(int rows);
    void SetRow(int row, const QStringList &texts);
    void AddRowIfLast(int row);
    void ComboChosen(QComboBox *combo);
    QString CellText(int row, int column) const;
    void SetCellText(int row, int column, const QString &text);
};
