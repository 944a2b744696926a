#pragma once

#include <QWidget>

#include "uPost.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class TFetcher;
struct TFetchReply;
struct TFetchRequest;

// The connector's window "Belvora Data Connector": the running request's title, a
// progress bar, the connection state, the elapsed time, a cancel and, for support, a
// details memo. It decides nothing about a request; it shows what the transport reports,
// pops up when a transfer takes long and stays up after a fatal reply. A child of the
// main window; the transport it watches outlives it.
class TfrmFetcher final : public QWidget
{
    Q_OBJECT
public:
    TfrmFetcher(TFetcher &transport, QWidget *owner = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CreateControls();
    void FormCreate();
    void RequestStarted(const TFetchRequest &request);
    void httpStatus(THttpStatus status);
    void httpWorkBegin(qint64 size);
    void httpWork(qint64 done);
    void httpWorkEnd();
    void httpDisconnected(bool brokenOff, bool workEnded);
    void Answered(const TFetchRequest &request, const TFetchReply &reply);
    void ShowStalled();
    void SignOffStarted(bool show);
    void btnCancelClick();
    void btnDetailsClick();
    void tiCounterTimer(int ticks);
    void ShowInfo(const QString &text, bool error);
    void ShowLog(const QString &text);
    void HideIfShownByFetch();

    TFetcher &m_transport;
    QLabel *lblStatus = nullptr;
    QProgressBar *pg = nullptr;
    QLabel *lblInfo = nullptr;
    QPushButton *btnDetails = nullptr;
    QPushButton *btnCancel = nullptr;
    QLabel *lblTime = nullptr;
    QPlainTextEdit *mLog = nullptr;
    // Made visible by transfer progress (or a stalled post): hidden again at its end.
    bool ShownByFetch = false;
};
