#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>

class QLabel;
class TAnalogNumber;
class THistoryBox;

// The small counter window: a borderless always-on-top strip with the four day counters,
// a countdown picture and the day graph in miniature, shown instead of the minimised main
// window. The main window creates it on demand and binds the monitor's counters to it;
// it deletes itself when closed and asks the main window to restore.
class TfrmSmall final : public QWidget
{
    Q_OBJECT
public:
    static constexpr int SnapDistance = 50;
    static constexpr int CloseBandWidth = 12;

    explicit TfrmSmall(const QImage &digitPicture, QWidget *parent = nullptr);

    // Where a window of `frame` ends up when moved there: an edge within `SnapDistance`
    // of the same edge of the work area sticks to it.
    static QPoint SnapToEdges(const QRect &frame, const QRect &workArea);

    // One countdown cycle per poll: the main window gives the step and restarts it.
    void SetCountdownInterval(int milliseconds);
    void RestartCountdown();
    int CountdownFrame() const { return m_countdownTag; }
    // Shows the euro counter and the wide strip while payout rules exist, and makes room
    // for counters that needed more cells.
    void ApplyEuroLayout();

    TAnalogNumber *anOnline = nullptr;
    TAnalogNumber *anCalls = nullptr;
    TAnalogNumber *anMinutes = nullptr;
    TAnalogNumber *anEuros = nullptr;
    THistoryBox *pbMiniGraph = nullptr;
    QLabel *im1 = nullptr;
    QLabel *im2 = nullptr;
    QWidget *pbCountdown = nullptr;
    QTimer tiCountdown;

Q_SIGNALS:
    // Posted to the main window once the window has stored its place.
    void RestoreRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TAnalogNumber *CreateCounter(const QImage &digitPicture, int digits, const QString &hint, int fontSize,
                                 const QRect &place);
    bool InDragBand(const QPoint &pos) const;
    void tiCountdownTimer();

    QList<QImage> ilCountdown;
    QList<QLabel *> m_icons;   // beside the online, calls and euro counters
    int m_countdownTag = 0;   // the countdown frame shown
    bool m_dragging = false;
    QPoint m_dragOffset;      // press point relative to the window's top-left
};
