#include "uFetcherWindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <limits>

#include "uDebugLog.h"
#include "uFetcher.h"
#include "uSettings.h"

namespace {

constexpr int ClientWidth = 240;
constexpr int ClientHeight = 68;
constexpr int LogTop = 68;
constexpr int LogHeight = 177;
constexpr int LogGap = 2;
constexpr int FontPixels = 11;
constexpr int SmallFontPixels = 9;
// From this many ticks on (150 ms) a transfer in progress shows the window.
constexpr int ShowAfterTicks = 3;
constexpr int TicksPerStep = 60;

const QColor InfoColour(Qt::black);
const QColor ErrorColour(255, 0, 0);
const QString CrLf = QStringLiteral("\r\n");

int ProgressValue(qint64 bytes)
{
    return static_cast<int>(std::clamp<qint64>(bytes, 0, std::numeric_limits<int>::max()));
}

bool DetailsWanted()
{
    return (Settings.Debug & DebugDetailsBit) != 0;
}

// What support sees with debug flag 1. The key itself is not shown: the window is for
// the user's eyes and screenshots.
QString DetailsText(const TFetchRequest &request, const QString &message, const QStringList &lines)
{
    QString text = QStringLiteral("Cmd = ") + request.Command + QStringLiteral(", args=") + request.Args + CrLf
        + message + CrLf;
    for (const QString &line : lines)
        text += line + CrLf;
    return text + CrLf + QStringLiteral("key=");
}

} // namespace

TfrmFetcher::TfrmFetcher(TFetcher &transport, QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), m_transport(transport)
{
    CreateControls();
    FormCreate();
    connect(&transport, &TFetcher::RequestStarted, this, &TfrmFetcher::RequestStarted);
    connect(&transport, &TFetcher::HttpStatus, this, &TfrmFetcher::httpStatus);
    connect(&transport, &TFetcher::WorkBegin, this, &TfrmFetcher::httpWorkBegin);
    connect(&transport, &TFetcher::Work, this, &TfrmFetcher::httpWork);
    connect(&transport, &TFetcher::WorkEnd, this, &TfrmFetcher::httpWorkEnd);
    connect(&transport, &TFetcher::Disconnected, this, &TfrmFetcher::httpDisconnected);
    connect(&transport, &TFetcher::CancelAvailable, btnCancel, &QPushButton::setEnabled);
    connect(&transport, &TFetcher::Stalled, this, &TfrmFetcher::ShowStalled);
    connect(&transport, &TFetcher::Ticked, this, &TfrmFetcher::tiCounterTimer);
    connect(&transport, &TFetcher::Answered, this, &TfrmFetcher::Answered);
    connect(&transport, &TFetcher::RequestEnded, this, &TfrmFetcher::HideIfShownByFetch);
    connect(&transport, &TFetcher::Idle, this, &TfrmFetcher::HideIfShownByFetch);
    connect(&transport, &TFetcher::SignOffStarted, this, &TfrmFetcher::SignOffStarted);
    connect(&transport, &TFetcher::SignOffSending, this,
            [this] { lblStatus->setText(QStringLiteral("Afmelden...")); });
}

void TfrmFetcher::CreateControls()
{
    setWindowTitle(QStringLiteral("Belvora Data Connector"));
    QFont windowFont = font();
    windowFont.setPixelSize(FontPixels);
    setFont(windowFont);
    setFixedSize(ClientWidth, ClientHeight);

    lblStatus = new QLabel(QStringLiteral("Gegevens worden ingelezen"), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(0, 0, ClientWidth, 13);
    lblStatus->setTextFormat(Qt::PlainText);

    pg = new QProgressBar(this);
    pg->setObjectName(QStringLiteral("pg"));
    pg->setGeometry(0, 13, ClientWidth, 14);
    pg->setTextVisible(false);
    pg->setRange(0, 100);
    pg->setValue(0);

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setGeometry(0, 27, ClientWidth, 13);
    // It shows the server's own texts: never as markup.
    lblInfo->setTextFormat(Qt::PlainText);

    btnDetails = new QPushButton(QStringLiteral("&Details.."), this);
    btnDetails->setObjectName(QStringLiteral("btnDetails"));
    btnDetails->setGeometry(117, 43, 55, 23);
    btnDetails->hide();
    connect(btnDetails, &QPushButton::clicked, this, &TfrmFetcher::btnDetailsClick);

    btnCancel = new QPushButton(QStringLiteral("Afbreken"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(176, 43, 59, 23);
    btnCancel->setEnabled(false);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmFetcher::btnCancelClick);

    lblTime = new QLabel(this);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    lblTime->setGeometry(0, 51, 64, 14);
    QFont smallFont = windowFont;
    smallFont.setPixelSize(SmallFontPixels);
    lblTime->setFont(smallFont);

    mLog = new QPlainTextEdit(this);
    mLog->setObjectName(QStringLiteral("mLog"));
    mLog->setGeometry(0, LogTop, ClientWidth, LogHeight);
    mLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    mLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mLog->setReadOnly(true);
    mLog->hide();
}

void TfrmFetcher::FormCreate()
{
    ShownByFetch = false;
    btnDetails->setVisible(DetailsWanted());
}

void TfrmFetcher::ShowInfo(const QString &text, bool error)
{
    QPalette palette = lblInfo->palette();
    palette.setColor(QPalette::WindowText, error ? ErrorColour : InfoColour);
    lblInfo->setPalette(palette);
    lblInfo->setText(text);
}

void TfrmFetcher::ShowLog(const QString &text)
{
    mLog->setPlainText(QString(text).replace(CrLf, QStringLiteral("\n")));
}

void TfrmFetcher::HideIfShownByFetch()
{
    if (ShownByFetch)
        hide();
    ShownByFetch = false;
}

void TfrmFetcher::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (QWidget *owner = parentWidget(); owner && owner->isVisible())
        move(owner->frameGeometry().center() - rect().center());
}

void TfrmFetcher::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (btnCancel->isEnabled())
        btnCancel->click();
    else if (!btnDetails->isHidden())
        btnDetails->click();
}

void TfrmFetcher::RequestStarted(const TFetchRequest &request)
{
    mLog->clear();
    lblStatus->setText(request.Title);
    ShowInfo(lblInfo->text(), false);
    pg->setValue(0);
}

void TfrmFetcher::httpStatus(THttpStatus status)
{
    QString text;
    switch (status) {
    case THttpStatus::Resolving: text = QStringLiteral("Server zoeken"); break;
    case THttpStatus::Connecting: text = QStringLiteral("Verbinden met server"); break;
    case THttpStatus::Connected: text = QStringLiteral("Verbonden met server"); break;
    case THttpStatus::Disconnecting: text = QStringLiteral("Verbinding afsluiten"); break;
    case THttpStatus::Disconnected: text = QStringLiteral("Verbinding afgesloten"); break;
    case THttpStatus::StatusText: text = QStringLiteral("Gegevens worden ingelezen"); break;
    case THttpStatus::Transfer: text = QStringLiteral("Gegevens wordt verzonden"); break;
    case THttpStatus::Ready: text = QStringLiteral("Klaar"); break;
    case THttpStatus::Aborted: text = QStringLiteral("Afgebroken"); break;
    case THttpStatus::Other: break;
    }
    lblInfo->setText(text);
}

void TfrmFetcher::httpWorkBegin(qint64 size)
{
    pg->setMaximum(ProgressValue(size));
    lblInfo->setText(QStringLiteral("%1 bytes te lezen").arg(size));
}

void TfrmFetcher::httpWork(qint64 done)
{
    const int value = ProgressValue(done);
    // A reply without a length, or longer than it said, must still move the bar.
    if (value > pg->maximum())
        pg->setMaximum(value);
    pg->setValue(value);
    if (m_transport.Ticks() >= ShowAfterTicks && isHidden() && !ShownByFetch) {
        show();
        ShownByFetch = true;
    }
}

void TfrmFetcher::httpWorkEnd()
{
    pg->setValue(pg->maximum());
    lblInfo->setText(QStringLiteral("Klaar"));
    HideIfShownByFetch();
}

void TfrmFetcher::httpDisconnected(bool brokenOff, bool workEnded)
{
    if (brokenOff)
        lblInfo->setText(QStringLiteral("AFGEBROKEN!"));
    else if (workEnded)
        hide();
    else
        lblInfo->setText(QStringLiteral("Verbinding verbroken"));
}

void TfrmFetcher::Answered(const TFetchRequest &request, const TFetchReply &reply)
{
    switch (reply.Outcome) {
    case TFetchOutcome::Ok:
    case TFetchOutcome::Empty:
        lblInfo->clear();
        break;
    case TFetchOutcome::Refused:
        ShowLog(DetailsWanted() ? DetailsText(request, reply.ErrorText, reply.ReplyLines) : reply.ErrorText);
        ShowInfo(reply.ErrorText, true);
        break;
    case TFetchOutcome::Fatal:
        ShowInfo(reply.ErrorText, true);
        // Not marked as shown by the transfer, so the end of the request leaves it up.
        ShownByFetch = false;
        show();
        ShowLog(DetailsWanted() ? DetailsText(request, reply.ErrorText, reply.ReplyLines) : reply.ErrorText);
        break;
    case TFetchOutcome::TransportFailure: {
        const QString failure = QStringLiteral("Fout: ") + reply.ErrorText;
        ShowLog(DetailsWanted() ? QStringLiteral("Cmd = ") + request.Command + QStringLiteral(", args=") + request.Args
                                      + CrLf + CrLf + failure
                                : failure);
        ShowInfo(QStringLiteral("FOUT IN COMMUCATIE!"), true);
        break;
    }
    case TFetchOutcome::Cancelled:
        break;
    }
}

void TfrmFetcher::ShowStalled()
{
    // A post that never answers sends no progress either: show the cancel all the same.
    if (isHidden()) {
        show();
        ShownByFetch = true;
    }
}

void TfrmFetcher::SignOffStarted(bool show)
{
    setVisible(show);
    ShownByFetch = false;
    lblStatus->setText(QStringLiteral("Verbinding afsluiten..."));
}

void TfrmFetcher::btnCancelClick()
{
    if (!m_transport.Busy())
        return;
    lblInfo->setText(QStringLiteral("BEZIG MET AFBREKEN..."));
    btnCancel->setEnabled(false);
    m_transport.Cancel();
}

void TfrmFetcher::btnDetailsClick()
{
    const bool showLog = mLog->isHidden();
    mLog->setVisible(showLog);
    setFixedSize(ClientWidth, showLog ? LogTop + LogHeight + LogGap : LogTop);
}

void TfrmFetcher::tiCounterTimer(int ticks)
{
    lblTime->setText(QStringLiteral("%1:%2").arg(ticks / TicksPerStep).arg(ticks % TicksPerStep, 2, 10, QLatin1Char('0')));
}
