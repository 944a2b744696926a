// The connector's window: its controls and the handlers of the HTTP client's progress.
// None of them decides anything about a request; they only change labels, the progress
// bar and visibility, so the connector works the same when the window is never shown.

#include "uFetcher.h"

#include <QKeyEvent>
#include <QLabel>
#include <QNetworkReply>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <limits>

#include "uDebugLog.h"
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

int ProgressValue(qint64 bytes)
{
    return static_cast<int>(std::clamp<qint64>(bytes, 0, std::numeric_limits<int>::max()));
}

} // namespace

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
    Requests.clear();
    FReplyLines.clear();
    FBusy = false;
    FReplyOk = false;
    Ticks = 0;
    ShownByFetch = false;
    btnDetails->setVisible((Settings.Debug & DebugDetailsBit) != 0);
}

void TfrmFetcher::ShowInfo(const QString &text, bool error)
{
    QPalette palette = lblInfo->palette();
    palette.setColor(QPalette::WindowText, error ? ErrorColour : InfoColour);
    lblInfo->setPalette(palette);
    lblInfo->setText(text);
}

void TfrmFetcher::ShowByError()
{
    // Not marked as shown by the transfer, so the end of the request leaves it up.
    ShownByFetch = false;
    if (!FRetired)
        show();
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
    if (Ticks >= ShowAfterTicks && isHidden() && !ShownByFetch && !FRetired) {
        show();
        ShownByFetch = true;
    }
}

void TfrmFetcher::httpWorkEnd()
{
    pg->setValue(pg->maximum());
    lblInfo->setText(QStringLiteral("Klaar"));
    HideIfShownByFetch();
    Ticks = 0;
    WorkEnded = true;
}

void TfrmFetcher::httpDisconnected()
{
    if (Cancelled)
        lblInfo->setText(QStringLiteral("AFGEBROKEN!"));
    else if (WorkEnded)
        hide();
    else
        lblInfo->setText(QStringLiteral("Verbinding verbroken"));
}

void TfrmFetcher::btnCancelClick()
{
    if (!FBusy || !FReply)
        return;
    lblInfo->setText(QStringLiteral("BEZIG MET AFBREKEN..."));
    btnCancel->setEnabled(false);
    BreakOff(QStringLiteral("cancelled"));
}

void TfrmFetcher::ShowStalled()
{
    // A post that never answers sends no progress either: show the cancel all the same.
    if (FBusy && isHidden() && !FRetired) {
        show();
        ShownByFetch = true;
    }
}

void TfrmFetcher::btnDetailsClick()
{
    const bool showLog = mLog->isHidden();
    mLog->setVisible(showLog);
    setFixedSize(ClientWidth, showLog ? LogTop + LogHeight + LogGap : LogTop);
}

void TfrmFetcher::tiCounterTimer()
{
    // Fetch runs from an event of its own, not inside this handler: Qt holds a timer back
    // while its handler has not returned, and the ticks must go on during a post.
    if (!FBusy && !FFetchPosted) {
        FFetchPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                FFetchPosted = false;
                if (!FRetired)
                    Fetch();
            },
            Qt::QueuedConnection);
    }
    ++Ticks;
    lblTime->setText(QStringLiteral("%1:%2").arg(Ticks / TicksPerStep).arg(Ticks % TicksPerStep, 2, 10, QLatin1Char('0')));
}
