#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTimeEdit;
class QTreeWidget;
struct TFetchReply;
class TPayoutEditor;
class TTriggerEditor;

// The options dialog: sounds, interval, window behaviour, key and password; the contact
// data and the account keys kept on the server; the trigger and payout editors. It works
// on the shared settings and lists directly; OK writes the settings file. The main window
// creates it for one showing and frees it afterwards.
class TfrmOptions final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget *parent = nullptr);
    ~TfrmOptions() override;

    // The text of eEmail, eMobile or eMSN changed since the dialog was opened.
    bool CommChanged = false;

    void pgOptionsChange(int index);
    void btnOkClick();
    void btnCancelClick();
    void btnOpenUpClick();
    void btnOpenDownClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void tbIntervalChange(int position);
    void seIntervalChange(int value);
    void seIntervalExit();
    void eEmailChange();
    void btnAddClick();
    void btnDelClick();

    // Reply handlers; each ignores a reply that arrives after the dialog closed.
    void AccountKeysFetched(const TFetchReply &reply);
    void AccountKeyAdded(const TFetchReply &reply);
    void AccountKeyRemoved(const TFetchReply &reply);
    void DataFetched(const TFetchReply &reply);

    // lvAccounts shows TAccounts as it now is.
    void RefreshAccounts();

    void done(int result) override;

    QTabWidget *pgOptions = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lblInfo = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnOk = nullptr;

    QLineEdit *eUpSound = nullptr;
    QPushButton *btnOpenUp = nullptr;
    QPushButton *SpeedButton1 = nullptr;
    QLineEdit *eDownSound = nullptr;
    QPushButton *btnOpenDown = nullptr;
    QPushButton *SpeedButton2 = nullptr;
    QSlider *tbInterval = nullptr;
    QSpinBox *seInterval = nullptr;
    QCheckBox *chkForeground = nullptr;
    QCheckBox *chkFGMini = nullptr;
    QCheckBox *chkNoMini = nullptr;
    QCheckBox *chkBalloonTips = nullptr;
    QCheckBox *chkAutostart = nullptr;
    QCheckBox *chkQuiet = nullptr;      // "Stil van" teQuietFrom "tot" teQuietTo
    QTimeEdit *teQuietFrom = nullptr;
    QTimeEdit *teQuietTo = nullptr;
    QLineEdit *mBVKey = nullptr;
    QLineEdit *ePass = nullptr;
    QLabel *lblVersion = nullptr;

    QLineEdit *eEmail = nullptr;
    QLineEdit *eMobile = nullptr;
    QLineEdit *eMSN = nullptr;
    // 1 once the contact data have been fetched since the dialog was opened.
    int eEmailTag = 0;

    QTreeWidget *lvAccounts = nullptr;
    QPushButton *btnDel = nullptr;
    QLineEdit *eAKey = nullptr;
    QPushButton *btnAdd = nullptr;
    QCheckBox *chkActive = nullptr;
    QLineEdit *Edit1 = nullptr;

    TTriggerEditor *tsTriggers = nullptr;
    TPayoutEditor *tsPayout = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *CreateOptionsPage();
    QWidget *CreateCommunicationPage();
    QWidget *CreateAccountsPage();
    void FormCreate();
    // Opens a file dialog ("dlgOpen") with these filters; a chosen path goes to `chosen`.
    void BrowseFile(const QStringList &filters, std::function<void(const QString &)> chosen);
    // Wraps a reply handler so that it runs only while this dialog is open.
    std::function<void(const TFetchReply &)> Handler(void (TfrmOptions::*handler)(const TFetchReply &));
};

// The open options dialog, or null.
extern TfrmOptions *frmOptions;
