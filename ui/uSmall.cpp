#include "uSmall.h"

#include <cstdlib>

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "uAnalogNumber.h"
#include "uDayCounter.h"
#include "uArtwork.h"
#include "uHistoryBox.h"
#include "uGlobal.h"
#include "uSettings.h"
#include "uScreenFit.h"
#include "uWindowStates.h"

namespace {

constexpr int GraphXWithEuros = 392;
constexpr int GraphXWithoutEuros = 300;
constexpr int WideStripWidth = 500;
constexpr int NarrowStripWidth = 410;
constexpr int StripHeight = 30;
constexpr int IconY = 7;
constexpr int IconSize = 16;
// Places with the cells the counters have at first; a counter that needed more cells
// pushes everything right of it by its extra width.
const QRect OnlinePlace(45, 6, 28, 19);
const QRect CallsPlace(106, 5, 56, 19);
const QRect CountdownPlace(165, 6, 18, 18);
const QRect MinutesPlace(185, 6, 112, 18);
const QRect EurosPlace(319, 6, 70, 18);
constexpr int OnlineIconX = 24;
constexpr int CallsIconX = 85;
constexpr int EurosIconX = 300;

} // namespace

TfrmSmall::TfrmSmall(const QImage &digitPicture, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window only hides behind this one: closing it must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Belvora Webmaster Monitor"));
    new TWindowStates(this, [] { return QByteArrayList{TWindowStates::SkipTaskbar, TWindowStates::Above}; });

    im1 = new QLabel(this);
    im1->setGeometry(0, 0, NarrowStripWidth, StripHeight);
    im1->setPixmap(QPixmap::fromImage(Artwork::SmallBackground(NarrowStripWidth)));
    im2 = new QLabel(this);
    im2->setGeometry(0, 0, WideStripWidth, StripHeight);
    im2->setPixmap(QPixmap::fromImage(Artwork::SmallBackground(WideStripWidth)));
    const QList<QIcon> icons = Artwork::CounterIcons();
    for (const int index : {0, 1, 3}) {
        auto *icon = new QLabel(this);
        icon->setPixmap(icons[index].pixmap(IconSize, IconSize));
        icon->resize(IconSize, IconSize);
        m_icons.append(icon);
    }

    anOnline = CreateCounter(digitPicture, 2, QStringLiteral("Online bellers"), 15, OnlinePlace);
    anCalls = CreateCounter(digitPicture, 4, QStringLiteral("Aantal bellers vandaag"), 15, CallsPlace);
    anMinutes = CreateCounter(digitPicture, 8, QStringLiteral("Aantal minuten vandaag"), 14, MinutesPlace);
    anMinutes->SetSeparatorPos(5);
    anEuros = CreateCounter(digitPicture, 5, QStringLiteral("Verdiende Euro's vandaag"), 14, EurosPlace);

    ilCountdown = Artwork::SmallCountdownFrames();
    pbCountdown = new QWidget(this);
    pbCountdown->setGeometry(CountdownPlace);
    pbCountdown->installEventFilter(this);
    connect(&tiCountdown, &QTimer::timeout, this, &TfrmSmall::tiCountdownTimer);

    pbMiniGraph = new THistoryBox(this);
    pbMiniGraph->setGeometry(GraphXWithEuros, 6, 34, 18);
    // The graph handles its own presses; one must not reach the window and close it.
    pbMiniGraph->setAttribute(Qt::WA_NoMousePropagation);

    new TScreenFit(this);
    ApplyEuroLayout();
    for (TAnalogNumber *counter : {anOnline, anCalls, anMinutes, anEuros})
        connect(counter, &TAnalogNumber::DigitsGrown, this, &TfrmSmall::ApplyEuroLayout);
}

TAnalogNumber *TfrmSmall::CreateCounter(const QImage &digitPicture, int digits, const QString &hint, int fontSize,
                                        const QRect &place)
{
    TAnalogNumber *counter = MakeDayCounter(digits, hint, this);
    counter->SetDigitPicture(digitPicture);
    QFont font = counter->font();
    font.setBold(true);
    font.setPixelSize(fontSize);
    counter->setFont(font);
    counter->setGeometry(place);
    return counter;
}

void TfrmSmall::ApplyEuroLayout()
{
    const bool euros = !PayoutRules.empty();
    anEuros->setVisible(euros);
    int shift = 0;
    // A counter as wide as its cells, and what stands right of it moved on by its growth.
    const auto place = [&shift](QWidget *counter, const QRect &base) {
        const int grown = qMax(0, counter->sizeHint().width() - base.width());
        counter->setGeometry(base.translated(shift, 0).adjusted(0, 0, grown, 0));
        shift += grown;
    };
    m_icons[0]->move(OnlineIconX, IconY);
    place(anOnline, OnlinePlace);
    m_icons[1]->move(CallsIconX + shift, IconY);
    place(anCalls, CallsPlace);
    pbCountdown->move(CountdownPlace.topLeft() + QPoint(shift, 0));
    place(anMinutes, MinutesPlace);
    m_icons[2]->move(EurosIconX + shift, IconY);
    m_icons[2]->setVisible(euros);
    if (euros)
        place(anEuros, EurosPlace);
    pbMiniGraph->move((euros ? GraphXWithEuros : GraphXWithoutEuros) + shift, pbMiniGraph->y());

    // The window is as large as the background strip it shows.
    const int width = (euros ? WideStripWidth : NarrowStripWidth) + shift;
    QLabel *shown = euros ? im2 : im1;
    im1->setVisible(!euros);
    im2->setVisible(euros);
    if (shown->width() != width) {
        shown->setGeometry(0, 0, width, StripHeight);
        shown->setPixmap(QPixmap::fromImage(Artwork::SmallBackground(width)));
    }
    setFixedSize(width, StripHeight);
    if (isVisible())
        TScreenFit::Fit(this);
}

void TfrmSmall::showEvent(QShowEvent *event)
{
    ApplyEuroLayout();
    QWidget::showEvent(event);
}

void TfrmSmall::SetCountdownInterval(int milliseconds)
{
    tiCountdown.start(qMax(1, milliseconds));
}

void TfrmSmall::RestartCountdown()
{
    m_countdownTag = 0;
    pbCountdown->update();
}

void TfrmSmall::tiCountdownTimer()
{
    // Keeps the strip above windows that asked to stay on top after it.
    if (Settings.MiniFG)
        raise();
    if (++m_countdownTag >= int(ilCountdown.size()))
        m_countdownTag = 0;
    pbCountdown->update();
}

QPoint TfrmSmall::SnapToEdges(const QRect &frame, const QRect &workArea)
{
    QPoint pos = frame.topLeft();
    const auto near = [](int a, int b) { return std::abs(a - b) <= SnapDistance; };
    if (near(frame.left(), workArea.left()))
        pos.setX(workArea.left());
    else if (near(frame.left() + frame.width(), workArea.left() + workArea.width()))
        pos.setX(workArea.left() + workArea.width() - frame.width());
    if (near(frame.top(), workArea.top()))
        pos.setY(workArea.top());
    else if (near(frame.top() + frame.height(), workArea.top() + workArea.height()))
        pos.setY(workArea.top() + workArea.height() - frame.height());
    return pos;
}

bool TfrmSmall::InDragBand(const QPoint &pos) const
{
    // The strip between the close band and the graph acts as the title bar.
    return pos.x() >= CloseBandWidth && pos.x() < pbMiniGraph->x();
}

void TfrmSmall::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && InDragBand(event->position().toPoint())) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        return;
    }
    close();
}

void TfrmSmall::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const QPoint wanted = event->globalPosition().toPoint() - m_dragOffset;
    const QScreen *area = screen();
    const QRect frame(wanted, frameGeometry().size());
    move(area ? SnapToEdges(frame, area->availableGeometry()) : wanted);
}

void TfrmSmall::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
}

void TfrmSmall::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!InDragBand(event->position().toPoint()))
        close();
}

void TfrmSmall::closeEvent(QCloseEvent *event)
{
    hide();
    Settings.SmallPos = pos();
    event->accept();
    Q_EMIT RestoreRequested();
}

bool TfrmSmall::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pbCountdown && event->type() == QEvent::Paint) {
        QPainter painter(pbCountdown);
        if (!ilCountdown.isEmpty())
            painter.drawImage(0, 0, ilCountdown[m_countdownTag % ilCountdown.size()]);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
