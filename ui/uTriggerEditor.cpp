#include "uTriggerEditor.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "uNumbers.h"
#include "uPlatform.h"
#include "uTriggers.h"

namespace {

const QStringList WhenItems{QStringLiteral("altijd"), QStringLiteral("voor"), QStringLiteral("op"),
                            QStringLiteral("na"), QStringLiteral("tussen")};
const QStringList WhatItems{QStringLiteral("Online"),         QStringLiteral("Bellers"),
                            QStringLiteral("Minuten"),        QStringLiteral("Gemiddeld"),
                            QStringLiteral("Online Data"),    QStringLiteral("Bellers Data"),
                            QStringLiteral("Minuten Data"),   QStringLiteral("Gemiddeld Data"),
                            QStringLiteral("Online Voice"),   QStringLiteral("Bellers Voice"),
                            QStringLiteral("Minuten Voice"),  QStringLiteral("Gemiddeld Voice")};
const QStringList WhyItems{QStringLiteral("<"),  QStringLiteral("<="), QStringLiteral("="),
                           QStringLiteral("=>"), QStringLiteral(">"),  QStringLiteral("% onder gisteren"),
                           QStringLiteral("% boven gisteren")};
const QStringList ActionItems{QStringLiteral("Geluid"), QStringLiteral("Programma"), QStringLiteral("E-mail"),
                              QStringLiteral("URL"), QStringLiteral("Ballontip")};
const QStringList TypeItems{QStringLiteral("Eenmalig tot volgende trigger"), QStringLiteral("Eenmaal per etmaal"),
                            QStringLiteral("Continue na trigger")};

const QStringList SoundFilters{QStringLiteral("Sound files (*.wav)"), QStringLiteral("All files (*.*)")};
const QStringList AnyFileFilters{QStringLiteral("Alle bestanden (*.*)")};

constexpr int ColumnWidths[] = {100, 80, 80, 80, 40};

// An item of a fixed choice list by its code; empty for a code outside it.
QString ItemText(const QStringList &items, int code)
{
    return code >= 0 && code < items.size() ? items[code] : QString();
}

// "=>100", and for a comparison with yesterday "80% onder gisteren".
QString WhyColumnText(const TTrigger &trigger)
{
    const QString why = ItemText(WhyItems, trigger.Compare);
    const bool percent = trigger.Compare == TriggerCompare::BelowYesterday
        || trigger.Compare == TriggerCompare::AboveYesterday;
    return percent ? trigger.Value + why : why + trigger.Value;
}

// A field's caption, read out with the field it names.
QLabel *Caption(const QString &text, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(field);
    return label;
}

QComboBox *MakeChoice(const QString &name, const QStringList &items, int initial, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    combo->setCurrentIndex(initial);
    return combo;
}

} // namespace

TTriggerEditor::TTriggerEditor(QWidget *parent)
    : QWidget(parent)
{
    CreateControls();
    RefreshList();
}

void TTriggerEditor::CreateControls()
{
    lvTrigger = new QTreeWidget(this);
    lvTrigger->setObjectName(QStringLiteral("lvTrigger"));
    lvTrigger->setRootIsDecorated(false);
    lvTrigger->setUniformRowHeights(true);
    lvTrigger->setAllColumnsShowFocus(true);
    lvTrigger->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvTrigger->setSelectionMode(QAbstractItemView::SingleSelection);
    lvTrigger->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvTrigger->setHeaderLabels({QStringLiteral("Wanneer"), QStringLiteral("Wat"), QStringLiteral("Waarom"),
                                QStringLiteral("Actie"), QStringLiteral("Actief")});

    // Alt+T is the "&Triggers" tab's.
    btnTAdd = new QPushButton(QStringLiteral("To&evoegen"), this);
    btnTAdd->setObjectName(QStringLiteral("btnTAdd"));
    btnTEdit = new QPushButton(QStringLiteral("Wijzigen"), this);
    btnTEdit->setObjectName(QStringLiteral("btnTEdit"));
    btnTDel = new QPushButton(QStringLiteral("&Verwijder"), this);
    btnTDel->setObjectName(QStringLiteral("btnTDel"));

    auto *gbData = new QGroupBox(QStringLiteral("Gegevens"), this);
    cbxWhen = MakeChoice(QStringLiteral("cbxWhen"), WhenItems, -1, gbData);
    eWhen = new QLineEdit(gbData);
    eWhen->setObjectName(QStringLiteral("eWhen"));
    chkTActive = new QCheckBox(QStringLiteral("Trigger actief"), gbData);
    chkTActive->setObjectName(QStringLiteral("chkTActive"));
    chkTActive->setChecked(true);
    cbxWhat = MakeChoice(QStringLiteral("cbxWhat"), WhatItems, 0, gbData);
    cbxWhy = MakeChoice(QStringLiteral("cbxWhy"), WhyItems, TriggerCompare::Equal, gbData);
    eWhy = new QLineEdit(gbData);
    eWhy->setObjectName(QStringLiteral("eWhy"));
    cbxAction = MakeChoice(QStringLiteral("cbxAction"), ActionItems, TriggerAction::Sound, gbData);
    eAction = new QLineEdit(gbData);
    eAction->setObjectName(QStringLiteral("eAction"));
    eAction->installEventFilter(this);
    btnBrowse = new QPushButton(QStringLiteral("..."), gbData);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    btnPlay = new QPushButton(QStringLiteral("\u25B6"), gbData);
    btnPlay->setObjectName(QStringLiteral("btnPlay"));
    btnPlay->setEnabled(false);
    // Enter on a focused button presses it (the play button plays), as in the whole dialog.
    for (QPushButton *button : {btnBrowse, btnPlay})
        button->setFixedWidth(24);
    cbxTType = MakeChoice(QStringLiteral("cbxTType"), TypeItems, TriggerRepeat::OnceUntilNext, gbData);

    auto *grid = new QGridLayout(gbData);
    grid->addWidget(Caption(QStringLiteral("Wanneer"), cbxWhen, gbData), 0, 0);
    grid->addWidget(cbxWhen, 0, 1);
    grid->addWidget(Caption(QStringLiteral("tijd"), eWhen, gbData), 0, 2);
    grid->addWidget(eWhen, 0, 3);
    grid->addWidget(chkTActive, 0, 4, 1, 3);
    grid->addWidget(Caption(QStringLiteral("Wat"), cbxWhat, gbData), 1, 0);
    grid->addWidget(cbxWhat, 1, 1);
    grid->addWidget(Caption(QStringLiteral("Waarom"), cbxWhy, gbData), 1, 2);
    grid->addWidget(cbxWhy, 1, 3);
    grid->addWidget(eWhy, 1, 4, 1, 3);
    grid->addWidget(Caption(QStringLiteral("Actie"), cbxAction, gbData), 2, 0);
    grid->addWidget(cbxAction, 2, 1);
    grid->addWidget(eAction, 2, 2, 1, 3);
    grid->addWidget(btnBrowse, 2, 5);
    grid->addWidget(btnPlay, 2, 6);
    grid->addWidget(Caption(QStringLiteral("Type"), cbxTType, gbData), 3, 0);
    grid->addWidget(cbxTType, 3, 1, 1, 4);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(btnTAdd);
    buttons->addWidget(btnTEdit);
    buttons->addWidget(btnTDel);
    buttons->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(lvTrigger);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(gbData);

    connect(lvTrigger, &QTreeWidget::itemSelectionChanged, this, [this] { lvTriggerSelectItem(SelectedRow()); });
    connect(btnTAdd, &QPushButton::clicked, this, &TTriggerEditor::btnTAddClick);
    connect(btnTEdit, &QPushButton::clicked, this, &TTriggerEditor::btnTEditClick);
    connect(btnTDel, &QPushButton::clicked, this, &TTriggerEditor::btnTDelClick);
    connect(btnBrowse, &QPushButton::clicked, this, &TTriggerEditor::btnBrowseClick);
    connect(btnPlay, &QPushButton::clicked, this, &TTriggerEditor::btnPlayClick);
    connect(cbxWhen, &QComboBox::currentIndexChanged, this, &TTriggerEditor::cbxWhenChange);
    for (QLineEdit *edit : {eWhen, eWhy, eAction})
        connect(edit, &QLineEdit::textChanged, this, &TTriggerEditor::eWhenChange);
    for (QComboBox *combo : {cbxWhat, cbxWhy, cbxAction, cbxTType})
        connect(combo, &QComboBox::currentIndexChanged, this, &TTriggerEditor::eWhenChange);
    // The play button follows the action chosen, not only the entering of its field.
    connect(cbxAction, &QComboBox::currentIndexChanged, this, &TTriggerEditor::eActionEnter);
    connect(chkTActive, &QCheckBox::clicked, this, &TTriggerEditor::chkTActiveClick);
    cbxWhenChange();
    TriggerChanged = false;
}

bool TTriggerEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == eAction && event->type() == QEvent::FocusIn)
        eActionEnter();
    return QWidget::eventFilter(watched, event);
}

QString TTriggerEditor::WhenColumnText(const TTrigger &trigger)
{
    if (trigger.WhenText.isEmpty() || trigger.WhenKind == TriggerWhen::Always)
        return QStringLiteral("altijd");
    return QStringLiteral("tijd ") + ItemText(WhenItems, trigger.WhenKind) + QLatin1Char(' ') + trigger.WhenText;
}

void TTriggerEditor::RefreshList()
{
    const QSignalBlocker blocker(lvTrigger);
    const int count = int(TTriggers.size());
    while (lvTrigger->topLevelItemCount() > count)
        delete lvTrigger->takeTopLevelItem(lvTrigger->topLevelItemCount() - 1);
    while (lvTrigger->topLevelItemCount() < count)
        lvTrigger->addTopLevelItem(new QTreeWidgetItem);
    for (int row = 0; row < count; ++row) {
        const TTrigger &trigger = *TTriggers[row];
        QTreeWidgetItem *item = lvTrigger->topLevelItem(row);
        item->setText(0, WhenColumnText(trigger));
        item->setText(1, ItemText(WhatItems, trigger.What));
        item->setText(2, WhyColumnText(trigger));
        item->setText(3, ItemText(ActionItems, trigger.Action));
        item->setText(4, trigger.Active ? QStringLiteral("Ja") : QStringLiteral("Nee"));
    }
    // At least the usual widths, and wide enough for every text ("80% onder gisteren").
    const QAbstractItemView &view = *lvTrigger;
    for (int c = 0; c < lvTrigger->columnCount(); ++c) {
        lvTrigger->setColumnWidth(
            c, qMax(ColumnWidths[c], qMax(lvTrigger->header()->sectionSizeHint(c), view.sizeHintForColumn(c))));
    }
}

int TTriggerEditor::SelectedRow() const
{
    const QList<QTreeWidgetItem *> selected = lvTrigger->selectedItems();
    return selected.isEmpty() ? -1 : lvTrigger->indexOfTopLevelItem(selected.first());
}

void TTriggerEditor::lvTriggerSelectItem(int row)
{
    if (TriggerChanged && CurrentTrigger && !ApplyTriggerEdit()) {
        // The edit stays with its trigger until its time is put right.
        SelectCurrentTrigger();
        return;
    }
    TriggerChanged = false;
    if (row >= 0 && row < int(TTriggers.size())) {
        FillEditor(*TTriggers[row]);
        CurrentTrigger = TTriggers[row].get();
    } else {
        CurrentTrigger = nullptr;
    }
}

void TTriggerEditor::FillEditor(const TTrigger &trigger)
{
    // Only the user's own changes count as an edit: merely looking at a trigger must not
    // restart its state when the selection moves on.
    m_filling = true;
    cbxWhen->setCurrentIndex(trigger.WhenKind >= 0 && trigger.WhenKind < cbxWhen->count() ? trigger.WhenKind : -1);
    eWhen->setText(trigger.WhenText);
    cbxWhat->setCurrentIndex(trigger.What);
    cbxWhy->setCurrentIndex(trigger.Compare);
    eWhy->setText(trigger.Value);
    cbxAction->setCurrentIndex(trigger.Action);
    eAction->setText(trigger.ActionParam);
    cbxTType->setCurrentIndex(trigger.RepeatType);
    chkTActive->setChecked(trigger.Active);
    m_filling = false;
}

void TTriggerEditor::WriteEditor(TTrigger &trigger) const
{
    trigger.WhenKind = cbxWhen->currentIndex();
    trigger.WhenText = eWhen->text();
    trigger.What = cbxWhat->currentIndex();
    trigger.Compare = cbxWhy->currentIndex();
    trigger.Value = StoredValue();
    trigger.Action = cbxAction->currentIndex();
    trigger.ActionParam = eAction->text();
    trigger.RepeatType = cbxTType->currentIndex();
    trigger.Active = chkTActive->isChecked();
    trigger.UnreadLine.clear();
}

QString TTriggerEditor::StoredValue() const
{
    // Plain, so that another locale reads it back the same.
    const std::optional<double> value = ReadLocaleThenCommaOrPointNumber(eWhy->text());
    return value ? ThresholdText(*value) : eWhy->text();
}

bool TTriggerEditor::WhenTextAccepted() const
{
    // A time the evaluator cannot read would stop every poll's trigger pass at this trigger.
    if (IsValidWhenText(cbxWhen->currentIndex(), eWhen->text()))
        return true;
    // The form the kind of condition needs, so the user sees what to type.
    const QString expected = cbxWhen->currentIndex() == TriggerWhen::Between
        ? QStringLiteral("twee tijden, zoals 12:00 14:00")
        : QStringLiteral("een tijd, zoals 14:30");
    Platform::Get().ShowMessage(TPlatform::TMessageKind::Warning, QStringLiteral("Opties"),
                                QStringLiteral("Ongeldige tijd: ") + eWhen->text() + QStringLiteral("\nVerwacht: ")
                                    + expected);
    return false;
}

bool TTriggerEditor::ValueAccepted() const
{
    // The threshold is compared as a number; text would silently compare as 0.
    if (eWhy->text().isEmpty() || ReadLocaleThenCommaOrPointNumber(eWhy->text()))
        return true;
    Platform::Get().ShowMessage(TPlatform::TMessageKind::Warning, QStringLiteral("Opties"),
                                QStringLiteral("Ongeldig getal: ") + eWhy->text());
    return false;
}

bool TTriggerEditor::CompareAccepted() const
{
    if (IsValidCompare(cbxWhat->currentIndex(), cbxWhy->currentIndex()))
        return true;
    Platform::Get().ShowMessage(TPlatform::TMessageKind::Warning, QStringLiteral("Opties"),
                                QStringLiteral("Vergelijken met gisteren kan alleen voor Online, Bellers en Minuten"));
    return false;
}

TTrigger *TTriggerEditor::AddFromEditor()
{
    return AddTrigger(TTriggers, eWhen->text(), StoredValue(), eAction->text(), cbxWhen->currentIndex(),
                      cbxWhat->currentIndex(), cbxWhy->currentIndex(), cbxAction->currentIndex(),
                      chkTActive->isChecked(), cbxTType->currentIndex());
}

void TTriggerEditor::btnTAddClick()
{
    if (!WhenTextAccepted() || !ValueAccepted() || !CompareAccepted())
        return;
    CurrentTrigger = AddFromEditor();
    RefreshList();
    SelectCurrentTrigger();
}

void TTriggerEditor::btnTEditClick()
{
    ApplyTriggerEdit();
}

bool TTriggerEditor::ApplyTriggerEdit()
{
    if (!WhenTextAccepted() || !ValueAccepted() || !CompareAccepted())
        return false;
    if (CurrentTrigger) {
        WriteEditor(*CurrentTrigger);
        // The next evaluation only records the condition.
        CurrentTrigger->State = 0;
        CurrentTrigger->PrevState = 0;
    } else {
        CurrentTrigger = AddFromEditor();
    }
    TriggerChanged = false;
    RefreshList();
    SelectCurrentTrigger();
    return true;
}

void TTriggerEditor::SelectCurrentTrigger()
{
    const auto it = std::find_if(TTriggers.begin(), TTriggers.end(),
                                 [this](const auto &t) { return t.get() == CurrentTrigger; });
    if (it == TTriggers.end())
        return;
    // Silently: the editor already shows this trigger, and its pending edit stays.
    const QSignalBlocker blocker(lvTrigger);
    QTreeWidgetItem *row = lvTrigger->topLevelItem(int(it - TTriggers.begin()));
    lvTrigger->setCurrentItem(row);
    lvTrigger->scrollToItem(row);
}

void TTriggerEditor::btnTDelClick()
{
    const int row = SelectedRow();
    if (row < 0 || row >= int(TTriggers.size()))
        return;
    const QString question = QStringLiteral("Trigger #%1 \"%2\" verwijderen ?")
                                 .arg(row)
                                 .arg(WhenColumnText(*TTriggers[row]));
    if (!Platform::Get().AskYesNo(QStringLiteral("Bevestigen"), question))
        return;
    TTriggers.erase(TTriggers.begin() + row);
    CurrentTrigger = nullptr;
    TriggerChanged = false;
    {
        // Removing the selected last row moves Qt's current row, and with it the
        // selection, to another row while the list is silent: drop both afterwards.
        const QSignalBlocker blocker(lvTrigger);
        RefreshList();
        lvTrigger->selectionModel()->clear();
    }
    ClearEditor();
}

void TTriggerEditor::ClearEditor()
{
    m_filling = true;
    cbxWhen->setCurrentIndex(-1);
    eWhen->clear();
    chkTActive->setChecked(true);
    cbxWhat->setCurrentIndex(0);
    cbxWhy->setCurrentIndex(TriggerCompare::Equal);
    eWhy->clear();
    cbxAction->setCurrentIndex(TriggerAction::Sound);
    eAction->clear();
    cbxTType->setCurrentIndex(TriggerRepeat::OnceUntilNext);
    m_filling = false;
}

void TTriggerEditor::btnBrowseClick()
{
    if (!Browse)
        return;
    const bool sound = cbxAction->currentIndex() == TriggerAction::Sound;
    Browse(sound ? SoundFilters : AnyFileFilters, [this](const QString &path) { eAction->setText(path); });
}

void TTriggerEditor::btnPlayClick()
{
    Platform::Get().PlaySoundSync(eAction->text());
}

void TTriggerEditor::eActionEnter()
{
    btnPlay->setEnabled(cbxAction->currentIndex() == TriggerAction::Sound);
}

void TTriggerEditor::cbxWhenChange()
{
    if (!m_filling)
        TriggerChanged = true;
    eWhen->setEnabled(cbxWhen->currentIndex() > TriggerWhen::Always);
}

void TTriggerEditor::eWhenChange()
{
    if (!m_filling)
        TriggerChanged = true;
}

void TTriggerEditor::chkTActiveClick()
{
    TriggerChanged = true;
}
