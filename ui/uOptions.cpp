#include "uOptions.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "uAccounts.h"
#include "uArtwork.h"
#include "uAutostart.h"
#include "uFetcher.h"
#include "uGlobal.h"
#include "uPayout.h"
#include "uPayoutEditor.h"
#include "uPlatform.h"
#include "uQuiet.h"
#include "uScrollPage.h"
#include "uSettings.h"
#include "uTriggerEditor.h"
#include "uUnits.h"

TfrmOptions *frmOptions = nullptr;

namespace {

constexpr int MinimumWidth = 425;
constexpr int MinimumHeight = 305;
constexpr int TabOptions = 0;
constexpr int TabCommunication = 1;
constexpr int TabTriggers = 3;
constexpr int TabPayout = 4;
constexpr int TrackMinimum = 5;
constexpr int SpinMinimum = 10;
constexpr int IntervalMaximum = 300;
constexpr int TickEvery = 10;
// What the quiet hours offer before the user set any: the night.
constexpr int DefaultQuietFrom = 22 * SecondsPerHour;
constexpr int DefaultQuietTo = 7 * SecondsPerHour;
const QStringList SoundFilters{QStringLiteral("Sound files (*.wav)"), QStringLiteral("All files (*.*)")};

// A key or password as typed, without the blanks and line end that a paste brings along.
QString Typed(const QLineEdit *edit)
{
    return edit->text().trimmed();
}

// Enter on a focused button presses that button (a play button plays); elsewhere OK.
QPushButton *MakeButton(const QString &name, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

// A field's caption, read out with the field it names.
QLabel *Caption(const QString &text, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(field);
    return label;
}

QLineEdit *MakeEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QCheckBox *MakeCheck(const QString &name, const QString &text, QWidget *parent)
{
    auto *check = new QCheckBox(text, parent);
    check->setObjectName(name);
    return check;
}

} // namespace

TfrmOptions::TfrmOptions(QWidget *parent)
    : QDialog(parent)
{
    frmOptions = this;
    setWindowTitle(QStringLiteral("Opties"));

    pgOptions = new QTabWidget(this);
    pgOptions->setObjectName(QStringLiteral("pgOptions"));
    // Each page scrolls where the screen is too short for the dialog (a large scale).
    pgOptions->addTab(new TScrollPage(CreateOptionsPage()), QStringLiteral("&Opties"));
    pgOptions->addTab(new TScrollPage(CreateCommunicationPage()), QStringLiteral("&Communicatie"));
    pgOptions->addTab(new TScrollPage(CreateAccountsPage()), QStringLiteral("&Accounts"));
    tsTriggers = new TTriggerEditor(pgOptions);
    tsTriggers->setObjectName(QStringLiteral("tsTriggers"));
    tsTriggers->Browse = [this](const QStringList &filters, std::function<void(const QString &)> chosen) {
        BrowseFile(filters, std::move(chosen));
    };
    pgOptions->addTab(new TScrollPage(tsTriggers), QStringLiteral("&Triggers"));
    tsPayout = new TPayoutEditor(pgOptions);
    tsPayout->setObjectName(QStringLiteral("tsPayout"));
    tsPayout->ShowInfo = [this](const QString &text) { lblInfo->setText(text); };
    tsPayout->DialogOpen = [this] { return frmOptions == this; };
    pgOptions->addTab(new TScrollPage(tsPayout), QStringLiteral("&Uitbetaling"));

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(Artwork::ApplicationIcon().pixmap(24, 24));
    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setTextFormat(Qt::PlainText); // shows the server's error texts
    btnCancel = new QPushButton(QStringLiteral("Annuleren"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(imgLogo);
    bottom->addWidget(lblInfo, 1);
    bottom->addWidget(btnCancel);
    bottom->addWidget(btnOk);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pgOptions, 1);
    layout->addLayout(bottom);

    connect(btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmOptions::btnCancelClick);
    FormCreate();
    connect(pgOptions, &QTabWidget::currentChanged, this, &TfrmOptions::pgOptionsChange);
    // At least the classic size, but never less than the contents need at this font and
    // scale: a fixed least size would let the layout squeeze the fields.
    resize(sizeHint().expandedTo(QSize(MinimumWidth, MinimumHeight)));
}

TfrmOptions::~TfrmOptions()
{
    if (frmOptions == this)
        frmOptions = nullptr;
}

QWidget *TfrmOptions::CreateOptionsPage()
{
    auto *page = new QWidget;
    eUpSound = MakeEdit(QStringLiteral("eUpSound"), page);
    btnOpenUp = MakeButton(QStringLiteral("btnOpenUp"), QStringLiteral("..."), page);
    SpeedButton1 = MakeButton(QStringLiteral("SpeedButton1"), QStringLiteral("\u25B6"), page);
    eDownSound = MakeEdit(QStringLiteral("eDownSound"), page);
    btnOpenDown = MakeButton(QStringLiteral("btnOpenDown"), QStringLiteral("..."), page);
    SpeedButton2 = MakeButton(QStringLiteral("SpeedButton2"), QStringLiteral("\u25B6"), page);
    for (QPushButton *button : {btnOpenUp, SpeedButton1, btnOpenDown, SpeedButton2})
        button->setFixedWidth(24);

    tbInterval = new QSlider(Qt::Horizontal, page);
    tbInterval->setObjectName(QStringLiteral("tbInterval"));
    tbInterval->setRange(TrackMinimum, IntervalMaximum);
    tbInterval->setTickInterval(TickEvery);
    tbInterval->setTickPosition(QSlider::TicksBelow);
    tbInterval->setValue(TrackMinimum);
    seInterval = new QSpinBox(page);
    seInterval->setObjectName(QStringLiteral("seInterval"));
    seInterval->setRange(SpinMinimum, IntervalMaximum);
    seInterval->setValue(SpinMinimum);
    seInterval->installEventFilter(this);

    chkForeground = MakeCheck(QStringLiteral("chkForeground"), QStringLiteral("Hoofdscherm"), page);
    chkFGMini = MakeCheck(QStringLiteral("chkFGMini"), QStringLiteral("Miniatuur venster"), page);
    chkNoMini = MakeCheck(QStringLiteral("chkNoMini"), QStringLiteral("Geen miniatuur venster"), page);
    chkBalloonTips = MakeCheck(QStringLiteral("chkBalloonTips"), QStringLiteral("Ballon-tips als geminimaliseerd"), page);
    chkAutostart = MakeCheck(QStringLiteral("chkAutostart"), QStringLiteral("Starten bij aanmelden"), page);
    if (AutostartProgram(QCoreApplication::applicationFilePath()).isEmpty()) {
        chkAutostart->setEnabled(false);
        chkAutostart->setText(QStringLiteral("Starten bij aanmelden (kan niet vanuit een map met % in de naam)"));
    }
    chkQuiet = MakeCheck(QStringLiteral("chkQuiet"), QStringLiteral("Stil van"), page);
    teQuietFrom = new QTimeEdit(page);
    teQuietFrom->setObjectName(QStringLiteral("teQuietFrom"));
    teQuietTo = new QTimeEdit(page);
    teQuietTo->setObjectName(QStringLiteral("teQuietTo"));
    for (QTimeEdit *edit : {teQuietFrom, teQuietTo})
        edit->setDisplayFormat(QStringLiteral("HH:mm"));
    auto *quiet = new QHBoxLayout;
    quiet->addWidget(chkQuiet);
    quiet->addWidget(teQuietFrom);
    quiet->addWidget(Caption(QStringLiteral("tot"), teQuietTo, page));
    quiet->addWidget(teQuietTo);
    quiet->addStretch(1);
    connect(chkQuiet, &QCheckBox::toggled, teQuietFrom, &QWidget::setEnabled);
    connect(chkQuiet, &QCheckBox::toggled, teQuietTo, &QWidget::setEnabled);
    // One line of text, as the sign-in key is.
    mBVKey = MakeEdit(QStringLiteral("mBVKey"), page);
    ePass = MakeEdit(QStringLiteral("ePass"), page);
    ePass->setEchoMode(QLineEdit::Password);
    lblVersion = new QLabel(page);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setStyleSheet(QStringLiteral("color: grey"));

    auto *grid = new QGridLayout(page);
    grid->addWidget(Caption(QStringLiteral("Geluid bij beller online"), eUpSound, page), 0, 0);
    grid->addWidget(eUpSound, 0, 1, 1, 2);
    grid->addWidget(btnOpenUp, 0, 3);
    grid->addWidget(SpeedButton1, 0, 4);
    grid->addWidget(Caption(QStringLiteral("Geluid bij beller offline"), eDownSound, page), 1, 0);
    grid->addWidget(eDownSound, 1, 1, 1, 2);
    grid->addWidget(btnOpenDown, 1, 3);
    grid->addWidget(SpeedButton2, 1, 4);
    grid->addWidget(Caption(QStringLiteral("Update interval"), tbInterval, page), 2, 0);
    grid->addWidget(tbInterval, 2, 1);
    grid->addWidget(seInterval, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("seconden"), page), 2, 3, 1, 2);
    grid->addWidget(Caption(QStringLiteral("Altijd op voorgrond"), chkForeground, page), 3, 0);
    grid->addWidget(chkForeground, 3, 1);
    grid->addWidget(chkFGMini, 3, 2, 1, 3);
    grid->addWidget(chkNoMini, 4, 1, 1, 4);
    grid->addWidget(chkBalloonTips, 5, 1, 1, 4);
    grid->addWidget(chkAutostart, 6, 1, 1, 4);
    grid->addLayout(quiet, 7, 1, 1, 4);
    grid->addWidget(Caption(QStringLiteral("Belvora Key"), mBVKey, page), 8, 0);
    grid->addWidget(mBVKey, 8, 1, 1, 4);
    grid->addWidget(Caption(QStringLiteral("Wachtwoord"), ePass, page), 9, 0);
    grid->addWidget(ePass, 9, 1, 1, 4);
    grid->addWidget(lblVersion, 10, 0, 1, 5);

    connect(btnOpenUp, &QPushButton::clicked, this, &TfrmOptions::btnOpenUpClick);
    connect(btnOpenDown, &QPushButton::clicked, this, &TfrmOptions::btnOpenDownClick);
    connect(SpeedButton1, &QPushButton::clicked, this, &TfrmOptions::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TfrmOptions::SpeedButton2Click);
    connect(tbInterval, &QSlider::valueChanged, this, &TfrmOptions::tbIntervalChange);
    connect(seInterval, &QSpinBox::valueChanged, this, &TfrmOptions::seIntervalChange);
    return page;
}

QWidget *TfrmOptions::CreateCommunicationPage()
{
    auto *page = new QWidget;
    eEmail = MakeEdit(QStringLiteral("eEmail"), page);
    eMobile = MakeEdit(QStringLiteral("eMobile"), page);
    eMSN = MakeEdit(QStringLiteral("eMSN"), page);
    auto *grid = new QGridLayout(page);
    grid->addWidget(Caption(QStringLiteral("E-mail "), eEmail, page), 0, 0);
    grid->addWidget(eEmail, 0, 1);
    grid->addWidget(Caption(QStringLiteral("Mobiel"), eMobile, page), 1, 0);
    grid->addWidget(eMobile, 1, 1);
    grid->addWidget(Caption(QStringLiteral("MSN"), eMSN, page), 2, 0);
    grid->addWidget(eMSN, 2, 1);
    grid->setRowStretch(3, 1);
    for (QLineEdit *edit : {eEmail, eMobile, eMSN})
        connect(edit, &QLineEdit::textChanged, this, &TfrmOptions::eEmailChange);
    return page;
}

QWidget *TfrmOptions::CreateAccountsPage()
{
    auto *page = new QWidget;
    lvAccounts = new QTreeWidget(page);
    lvAccounts->setObjectName(QStringLiteral("lvAccounts"));
    lvAccounts->setRootIsDecorated(false);
    lvAccounts->setAllColumnsShowFocus(true);
    lvAccounts->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvAccounts->setSelectionMode(QAbstractItemView::SingleSelection);
    lvAccounts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvAccounts->setHeaderLabels({QStringLiteral("Key"), QStringLiteral("Naam"), QStringLiteral("Actief")});
    lvAccounts->setColumnWidth(0, 165);
    // The names take the room the keys and the state leave.
    lvAccounts->header()->setStretchLastSection(false);
    lvAccounts->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    lvAccounts->header()->setMinimumSectionSize(40);
    lvAccounts->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    btnDel = MakeButton(QStringLiteral("btnDel"), QStringLiteral("&Verwijder"), page);

    auto *group = new QGroupBox(page);
    eAKey = MakeEdit(QStringLiteral("eAKey"), group);
    chkActive = MakeCheck(QStringLiteral("chkActive"), QStringLiteral("Dit account uitlezen"), group);
    chkActive->setChecked(true);
    chkActive->hide();
    Edit1 = MakeEdit(QStringLiteral("Edit1"), group);
    Edit1->hide();
    auto *groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(Caption(QStringLiteral("Key"), eAKey, group));
    groupLayout->addWidget(eAKey, 1);
    // Alt+T is the "&Triggers" tab's.
    btnAdd = MakeButton(QStringLiteral("btnAdd"), QStringLiteral("To&evoegen"), page);

    auto *grid = new QGridLayout(page);
    grid->addWidget(lvAccounts, 0, 0);
    grid->addWidget(btnDel, 0, 1, Qt::AlignTop);
    grid->addWidget(group, 1, 0);
    grid->addWidget(btnAdd, 1, 1);
    connect(btnAdd, &QPushButton::clicked, this, &TfrmOptions::btnAddClick);
    connect(btnDel, &QPushButton::clicked, this, &TfrmOptions::btnDelClick);
    return page;
}

void TfrmOptions::FormCreate()
{
    lblVersion->setText(QStringLiteral("Versie ") + AppVersion);
    seInterval->setValue(Settings.Interval);
    tbInterval->setValue(Settings.Interval);
    eUpSound->setText(Settings.SoundUp);
    eDownSound->setText(Settings.SoundDown);
    mBVKey->setText(Settings.Key);
    ePass->setText(Settings.Password);
    chkForeground->setChecked(Settings.MainFG);
    chkFGMini->setChecked(Settings.MiniFG);
    chkNoMini->setChecked(Settings.NoMini);
    chkBalloonTips->setChecked(Settings.BalloonTips);
    chkAutostart->setChecked(AutostartEnabled());
    const std::optional<int> quietFrom = ReadQuietTime(Settings.QuietFrom);
    const std::optional<int> quietTo = ReadQuietTime(Settings.QuietTo);
    chkQuiet->setChecked(quietFrom && quietTo);
    teQuietFrom->setEnabled(chkQuiet->isChecked());
    teQuietTo->setEnabled(chkQuiet->isChecked());
    teQuietFrom->setTime(QTime(0, 0).addSecs(quietFrom.value_or(DefaultQuietFrom)));
    teQuietTo->setTime(QTime(0, 0).addSecs(quietTo.value_or(DefaultQuietTo)));
    RefreshAccounts();
    tsTriggers->RefreshList();
    tsTriggers->eActionEnter();
    pgOptions->setCurrentIndex(0);
    btnAdd->setEnabled(false);
    TFetcher *connector = Connector();
    if (!Settings.Key.isEmpty() && !Settings.Password.isEmpty() && connector) {
        if (TPProgs.empty())
            connector->RequestPartnerProgrammes(
                [](const TFetchReply &reply) { ProgsFetched(reply.ReplyOk(), reply.ReplyLines); });
        lblInfo->setText(QStringLiteral("Account keys ophalen..."));
        connector->RequestAccountKeys(Handler(&TfrmOptions::AccountKeysFetched));
    }
}

std::function<void(const TFetchReply &)> TfrmOptions::Handler(void (TfrmOptions::*handler)(const TFetchReply &))
{
    return [self = QPointer<TfrmOptions>(this), handler](const TFetchReply &reply) {
        if (self && frmOptions == self)
            (self->*handler)(reply);
    };
}

bool TfrmOptions::eventFilter(QObject *watched, QEvent *event)
{
    // Before the spin box's own handling, which would put the old value back.
    if (watched == seInterval && event->type() == QEvent::FocusOut)
        seIntervalExit();
    return QDialog::eventFilter(watched, event);
}

void TfrmOptions::done(int result)
{
    if (frmOptions == this)
        frmOptions = nullptr;
    QDialog::done(result);
}

void TfrmOptions::BrowseFile(const QStringList &filters, std::function<void(const QString &)> chosen)
{
    // Made for each use: a file dialog stores its state in Qt's own settings file
    // (~/.config/QtProject.conf) when it goes, so one made up front would write it at
    // every close of the options.
    auto *dialog = new QFileDialog(this);
    dialog->setObjectName(QStringLiteral("dlgOpen"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(filters);
    connect(dialog, &QFileDialog::fileSelected, this, std::move(chosen));
    dialog->open();
}

void TfrmOptions::btnOpenUpClick()
{
    BrowseFile(SoundFilters, [this](const QString &path) { eUpSound->setText(path); });
}

void TfrmOptions::btnOpenDownClick()
{
    BrowseFile(SoundFilters, [this](const QString &path) { eDownSound->setText(path); });
}

void TfrmOptions::SpeedButton1Click()
{
    Platform::Get().PlaySoundSync(eUpSound->text());
}

void TfrmOptions::SpeedButton2Click()
{
    Platform::Get().PlaySoundSync(eDownSound->text());
}

void TfrmOptions::tbIntervalChange(int position)
{
    seInterval->setValue(position);
}

void TfrmOptions::seIntervalChange(int value)
{
    if (!seInterval->text().isEmpty() && value > 0)
        tbInterval->setValue(value);
}

void TfrmOptions::seIntervalExit()
{
    if (seInterval->text().isEmpty())
        seInterval->setValue(0);
}

void TfrmOptions::eEmailChange()
{
    CommChanged = true;
}

void TfrmOptions::pgOptionsChange(int index)
{
    // Requests made from now on sign in with what the user typed.
    if (Typed(mBVKey) != Settings.Key || Typed(ePass) != Settings.Password) {
        Settings.Key = Typed(mBVKey);
        Settings.Password = Typed(ePass);
    }
    TFetcher *connector = Connector();
    if (index == TabCommunication && eEmailTag == 0 && connector)
        connector->RequestData(Handler(&TfrmOptions::DataFetched));
    if (index == TabPayout)
        tsPayout->Open();
}

void TfrmOptions::DataFetched(const TFetchReply &reply)
{
    if (!reply.ReplyOk())
        return;
    const QStringList &lines = reply.ReplyLines;
    eEmail->setText(lines.value(1));
    eEmailTag = 1;
    eMobile->setText(lines.value(2));
    eMSN->setText(lines.value(3));
    // The fetched data go back with OK even when a text happened to stay the same.
    CommChanged = true;
}

void TfrmOptions::RefreshAccounts()
{
    lvAccounts->clear();
    for (const auto &account : TAccounts) {
        lvAccounts->addTopLevelItem(new QTreeWidgetItem(
            {account->Key, account->Name, account->Active ? QStringLiteral("Ja") : QStringLiteral("Nee")}));
    }
}

void TfrmOptions::AccountKeysFetched(const TFetchReply &reply)
{
    const QStringList &lines = reply.ReplyLines;
    const bool answered = reply.ReplyOk() && lines.size() >= 2;
    const QString text = ReadAccountKeysReply(reply.ReplyOk(), lines);
    if (answered)
        btnAdd->setEnabled(true);
    lblInfo->setText(text);
    RefreshAccounts();
}

void TfrmOptions::btnAddClick()
{
    const QString key = Typed(eAKey);
    if (key.isEmpty())
        return;
    lblInfo->clear();
    for (const auto &account : TAccounts) {
        if (account->Key == key) {
            lblInfo->setText(QStringLiteral("Key is al toegevoegd!"));
            return;
        }
    }
    if (TFetcher *connector = Connector())
        connector->AddAccountKey(key, chkActive->isChecked(), Handler(&TfrmOptions::AccountKeyAdded));
    // The new key's programmes come with the next request that needs programmes.
    TPProgs.clear();
}

void TfrmOptions::AccountKeyAdded(const TFetchReply &reply)
{
    lblInfo->setText(ReadAddAccountKeyReply(reply.ReplyOk(), reply.ReplyLines, Typed(eAKey),
                                            chkActive->isChecked()));
    RefreshAccounts();
}

void TfrmOptions::btnDelClick()
{
    const QList<QTreeWidgetItem *> selected = lvAccounts->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = lvAccounts->indexOfTopLevelItem(selected.first());
    if (row < 0 || row >= int(TAccounts.size()))
        return;
    const QString key = TAccounts[row]->Key;
    if (!Platform::Get().AskYesNo(QStringLiteral("Bevestigen"),
                                  QStringLiteral("Account Key \"%1\" verwijderen ?").arg(key)))
        return;
    if (TFetcher *connector = Connector())
        connector->RemoveAccountKey(key, Handler(&TfrmOptions::AccountKeyRemoved));
}

void TfrmOptions::AccountKeyRemoved(const TFetchReply &reply)
{
    lblInfo->setText(ReadRemoveAccountKeyReply(reply.ReplyOk(), reply.ReplyLines));
    RefreshAccounts();
}

void TfrmOptions::btnOkClick()
{
    // A time the triggers cannot read keeps the dialog open on that tab.
    if (tsTriggers->TriggerChanged && !tsTriggers->ApplyTriggerEdit()) {
        pgOptions->setCurrentIndex(TabTriggers);
        return;
    }
    // Equal times would mean quiet hours that never hold.
    const bool quiet = chkQuiet->isChecked();
    if (quiet && teQuietFrom->time() == teQuietTo->time()) {
        Platform::Get().ShowMessage(TPlatform::TMessageKind::Warning, QStringLiteral("Opties"),
                                    QStringLiteral("Stil van en tot moeten verschillende tijden zijn."));
        pgOptions->setCurrentIndex(TabOptions);
        teQuietTo->setFocus();
        return;
    }
    if (!seInterval->text().isEmpty())
        Settings.Interval = seInterval->value();
    else
        seInterval->setValue(0);
    Settings.SoundUp = eUpSound->text();
    Settings.SoundDown = eDownSound->text();
    if (CommChanged) {
        if (TFetcher *connector = Connector())
            connector->SaveData(eEmail->text(), eMobile->text(), eMSN->text(), nullptr);
    }
    Settings.Key = Typed(mBVKey);
    Settings.Password = Typed(ePass);
    Settings.MainFG = chkForeground->isChecked();
    Settings.MiniFG = chkFGMini->isChecked();
    Settings.NoMini = chkNoMini->isChecked();
    Settings.BalloonTips = chkBalloonTips->isChecked();
    Settings.QuietFrom = quiet ? QuietTimeText(teQuietFrom->time().msecsSinceStartOfDay() / 1000) : QString();
    Settings.QuietTo = quiet ? QuietTimeText(teQuietTo->time().msecsSinceStartOfDay() / 1000) : QString();
    tsPayout->RebuildRules();
    SaveSettings();
    if (chkAutostart->isEnabled())
        SetAutostart(chkAutostart->isChecked());
    accept();
}

void TfrmOptions::btnCancelClick()
{
    reject();
}
