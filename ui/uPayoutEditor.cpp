#include "uPayoutEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QPointer>
#include <QTableWidget>
#include <QVBoxLayout>

#include "uArtwork.h"
#include "uFetcher.h"
#include "uGlobal.h"
#include "uNumbers.h"
#include "uPayout.h"
#include "uPlatform.h"
#include "uSettings.h"

namespace {

constexpr int ColumnCount = 4;
constexpr int ColProg = 0;
constexpr int ColCountry = 1;
constexpr int ColAccess = 2;
constexpr int ColAmount = 3;
constexpr int ColumnWidths[ColumnCount] = {147, 84, 77, 64};
constexpr int VisibleItems = 8;
constexpr int AllAccessPicture = 14;
const QString AllText = QStringLiteral("(alle)");

QComboBox *MakeEditorCombo(const QString &name, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setMaxVisibleItems(VisibleItems);
    combo->hide();
    return combo;
}

} // namespace

TPayoutEditor::TPayoutEditor(QWidget *parent)
    : QWidget(parent)
{
    sgPayout = new QTableWidget(this);
    sgPayout->setObjectName(QStringLiteral("sgPayout"));
    sgPayout->verticalHeader()->hide();
    sgPayout->setShowGrid(true);
    sgPayout->setSelectionMode(QAbstractItemView::ContiguousSelection);
    sgPayout->setSelectionBehavior(QAbstractItemView::SelectItems);
    // Only the amount column is edited as text; the others through the combo boxes.
    sgPayout->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                              | QAbstractItemView::AnyKeyPressed);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sgPayout);

    cbxPProg = MakeEditorCombo(QStringLiteral("cbxPProg"), sgPayout->viewport());
    cbxCountry = MakeEditorCombo(QStringLiteral("cbxCountry"), sgPayout->viewport());
    cbxAccess = MakeEditorCombo(QStringLiteral("cbxAccess"), sgPayout->viewport());

    const QList<QIcon> flags = Artwork::FlagIcons();
    cbxCountry->addItem(AllText);
    for (int k = 0; k < Countries().size(); ++k)
        cbxCountry->addItem(flags.value(k + 1), Countries()[k]);
    const QList<QIcon> access = Artwork::AccessTypeIcons();
    cbxAccess->addItem(access.value(AllAccessPicture), AllText);
    for (int k = 0; k < AccessTypes().size(); ++k)
        cbxAccess->addItem(access.value(k), AccessTypes()[k]);
    // Rows as high as a combo box, so that an editor covers its cell exactly.
    sgPayout->verticalHeader()->setDefaultSectionSize(cbxAccess->sizeHint().height());
    ResetGrid(1);

    connect(cbxPProg, &QComboBox::activated, this, &TPayoutEditor::cbxPProgChange);
    connect(cbxCountry, &QComboBox::activated, this, &TPayoutEditor::cbxCountryChange);
    connect(cbxAccess, &QComboBox::activated, this, &TPayoutEditor::cbxAccessChange);
    for (QComboBox *combo : {cbxPProg, cbxCountry, cbxAccess})
        combo->installEventFilter(this);
    sgPayout->installEventFilter(this);
    connect(sgPayout, &QTableWidget::cellPressed, this, [this] { ShowCellEditor(false); });
    connect(sgPayout, &QTableWidget::cellClicked, this, &TPayoutEditor::sgPayoutMouseUp);
    // Enter in the amount's text editor ends the editing there; it counts as the grid's Enter.
    connect(sgPayout->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget *, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    sgPayoutKeyDown(Qt::Key_Return);
            });
}

bool TPayoutEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == sgPayout) {
        if (event->type() == QEvent::FocusIn) {
            // Only the user entering the grid; focus given back by a cell's editor keeps the cell.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason
                || reason == Qt::ShortcutFocusReason)
                sgPayoutEnter();
        } else if (event->type() == QEvent::KeyPress && !CellEditorFocused()) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Delete) {
                sgPayoutKeyDown(key);
                return true;
            }
        }
    } else if (event->type() == QEvent::FocusOut
               && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        ComboChosen(static_cast<QComboBox *>(watched));
    }
    return QWidget::eventFilter(watched, event);
}

bool TPayoutEditor::CellEditorFocused() const
{
    // A key the cell's text editor ignores comes on to the grid before the text is stored.
    const QWidget *focus = QApplication::focusWidget();
    return focus && focus != sgPayout && sgPayout->isAncestorOf(focus);
}

void TPayoutEditor::ResetGrid(int rows)
{
    for (QComboBox *combo : {cbxPProg, cbxCountry, cbxAccess})
        combo->hide();
    sgPayout->clear();
    sgPayout->setColumnCount(ColumnCount);
    sgPayout->setHorizontalHeaderLabels(
        {QStringLiteral("Programma"), QStringLiteral("Land"), QStringLiteral("Type"), QStringLiteral("Bedrag")});
    for (int c = 0; c < ColumnCount; ++c)
        sgPayout->setColumnWidth(c, ColumnWidths[c]);
    sgPayout->setRowCount(0);
    for (int row = 0; row < rows; ++row) {
        sgPayout->insertRow(row);
        SetRow(row, {});
    }
}

void TPayoutEditor::SetRow(int row, const QStringList &texts)
{
    for (int c = 0; c < ColumnCount; ++c) {
        auto *item = new QTableWidgetItem(texts.value(c));
        if (c != ColAmount)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        sgPayout->setItem(row, c, item);
    }
}

QString TPayoutEditor::CellText(int row, int column) const
{
    const QTableWidgetItem *item = sgPayout->item(row, column);
    return item ? item->text() : QString();
}

void TPayoutEditor::SetCellText(int row, int column, const QString &text)
{
    if (QTableWidgetItem *item = sgPayout->item(row, column))
        item->setText(text);
}

QStringList TPayoutEditor::RowTexts(int row) const
{
    QStringList texts;
    for (int c = 0; c < ColumnCount; ++c)
        texts.append(CellText(row, c));
    return texts;
}

QString TPayoutEditor::AmountText(double amount)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(amount, 'g', 15);
}

void TPayoutEditor::AddRowIfLast(int row)
{
    if (row != sgPayout->rowCount() - 1)
        return;
    sgPayout->insertRow(row + 1);
    SetRow(row + 1, {});
}

void TPayoutEditor::Open()
{
    ResetGrid(1);
    if (!TPProgs.empty()) {
        FillPayoutGrid();
    } else if (!Settings.Password.isEmpty()) {
        if (TFetcher *connector = Connector())
            connector->RequestPartnerProgrammes([self = QPointer<TPayoutEditor>(this)](const TFetchReply &reply) {
                if (self && (!self->DialogOpen || self->DialogOpen()))
                    self->PProgsFetched(reply);
            });
    } else if (ShowInfo) {
        ShowInfo(QStringLiteral("Niet aangemeld!"));
    }
}

void TPayoutEditor::PProgsFetched(const TFetchReply &reply)
{
    if (!reply.ReplyOk())
        return;
    ProgsFetched(true, reply.ReplyLines);
    FillPayoutGrid();
}

void TPayoutEditor::FillPayoutGrid()
{
    cbxPProg->clear();
    cbxPProg->addItem(AllText);
    for (const auto &prog : TPProgs)
        cbxPProg->addItem(prog->ProgName);

    QList<QStringList> rows;
    for (const auto &rule : PayoutRules) {
        QString progText = AllText;
        if (!rule->ProgCode.isEmpty()) {
            // A rule for a programme we do not know shows under its code; OK drops it.
            const int index = IndexOfProg(rule->ProgCode.text());
            progText = index >= 0 ? TPProgs[index]->ProgName : rule->ProgCode.text();
        }
        for (int c = TRateTable::FirstCountry; c <= TRateTable::LastCountry; ++c) {
            for (int a = TRateTable::FirstAccess; a <= TRateTable::LastAccess; ++a) {
                const double amount = rule->Amounts.At(c, a);
                if (amount != 0.0)
                    rows.append({progText, cbxCountry->itemText(c + 1), cbxAccess->itemText(a + 1), AmountText(amount)});
            }
        }
    }
    ResetGrid(int(rows.size()) + 1);
    for (int row = 0; row < rows.size(); ++row)
        SetRow(row, rows[row]);
    PayoutLoaded = true;
}

void TPayoutEditor::RebuildRules()
{
    if (!PayoutLoaded || TPProgs.empty())
        return;
    const TPayoutRuleList previous = std::move(PayoutRules);
    PayoutRules.clear();
    for (int row = 0; row < sgPayout->rowCount(); ++row) {
        const int item = cbxPProg->findText(CellText(row, ColProg), Qt::MatchExactly);
        if (item < 0 || CellText(row, ColProg).isEmpty())
            continue;
        // The choice list was filled from TPProgs; it may have changed since.
        if (item > int(TPProgs.size()))
            continue;
        TPayoutRule *rule = FindPayoutRule(item == 0 ? QString() : TPProgs[item - 1]->ProgCode.text(), true);
        const int country = cbxCountry->findText(CellText(row, ColCountry), Qt::MatchExactly) - 1;
        const int access = cbxAccess->findText(CellText(row, ColAccess), Qt::MatchExactly) - 1;
        const double amount = ReadPointOrLocaleNumber(CellText(row, ColAmount)).value_or(0.0);
        // A text that is in neither list means all, like an empty cell.
        if (amount != 0.0)
            rule->Amounts.Set(qMax(country, -1), qMax(access, -1), amount);
    }
    // The grid never showed amounts the file held unread; they are not the user's to lose.
    KeepUnreadAmounts(previous);
    ApplyPayoutRules();
}

void TPayoutEditor::ShowCellEditor(bool dropDown)
{
    const int row = sgPayout->currentRow();
    const int column = sgPayout->currentColumn();
    QComboBox *combos[] = {cbxPProg, cbxCountry, cbxAccess};
    QComboBox *editor = row >= 0 && column >= ColProg && column < ColAmount ? combos[column] : nullptr;
    for (QComboBox *combo : combos) {
        if (combo != editor)
            combo->hide();
    }
    if (!editor)
        return;
    const QRect cell = sgPayout->visualRect(sgPayout->model()->index(row, column));
    editor->setGeometry(cell.left(), cell.top(), cell.width() + 1, cell.height() + 1);
    editor->setCurrentIndex(editor->findText(CellText(row, column), Qt::MatchExactly));
    editor->show();
    editor->setFocus();
    if (dropDown)
        editor->showPopup();
}

void TPayoutEditor::sgPayoutEnter()
{
    if (sgPayout->currentRow() >= 0)
        sgPayout->setCurrentCell(sgPayout->currentRow(), ColProg);
}

void TPayoutEditor::sgPayoutMouseUp()
{
    ShowCellEditor(false);
}

void TPayoutEditor::sgPayoutKeyDown(int key)
{
    const int row = sgPayout->currentRow();
    const int column = sgPayout->currentColumn();
    if (row < 0)
        return;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (column == ColAmount) {
            SetCellText(row, column, AmountText(ReadPointOrLocaleNumber(CellText(row, column)).value_or(0.0)));
            AddRowIfLast(row);
        } else {
            ShowCellEditor(true);
        }
    } else if (key == Qt::Key_Delete && column == ColProg) {
        const QString question =
            QStringLiteral("Uitbetalingsregel voor \"%1\" verwijderen ?").arg(CellText(row, column));
        if (Platform::Get().AskYesNo(QStringLiteral("Vraag"), question))
            SetRow(row, {});
    }
}

void TPayoutEditor::ComboChosen(QComboBox *combo)
{
    // Hiding moves the focus away and would report the leaving a second time.
    if (combo->isHidden())
        return;
    const int row = sgPayout->currentRow();
    if (combo->currentIndex() >= 0 && row >= 0) {
        SetCellText(row, sgPayout->currentColumn(), combo->currentText());
        AddRowIfLast(row);
    }
    combo->hide();
    sgPayout->setFocus();
}

void TPayoutEditor::cbxPProgChange()
{
    ComboChosen(cbxPProg);
}

void TPayoutEditor::cbxCountryChange()
{
    ComboChosen(cbxCountry);
}

void TPayoutEditor::cbxAccessChange()
{
    ComboChosen(cbxAccess);
}
