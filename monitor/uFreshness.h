#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class TBelvoraMonitor;

// Tells when the figures on show stop being live: the last processed callers reply is
// older than two polls and some slack (polling stopped or failing, a post that hangs).
// The one place that decides staleness. Idle it costs one timer, set for the moment the
// figures would go stale; while they are stale, it fires when the stated age changes:
// each second in the first minute, then at each new minute.
class TFreshness final : public QObject
{
    Q_OBJECT
public:
    static constexpr int AgeRefreshMs = 60 * 1000;

    explicit TFreshness(const TBelvoraMonitor &monitor, QObject *parent = nullptr);

    bool Stale() const { return m_stale; }
    // "Laatste gegevens 14:32, 3 min geleden" while stale, else empty.
    QString Text() const { return m_text; }
    // Looks again now: after a reply, a change of the interval, a tick of its timer.
    void Check();

    // Figures are old once the last reply is older than this: two polls missed and some
    // slack for a slow reply.
    static qint64 StaleAfterSeconds(int interval);
    static bool IsStale(qint64 ageSeconds, int interval);
    // "Laatste gegevens 14:32, 3 min geleden" for a reply at local-clock second `lastReply`,
    // `ageSeconds` old by the monotonic clock; "Nog geen gegevens" before any reply (0).
    static QString StaleText(qint64 lastReply, qint64 ageSeconds);

Q_SIGNALS:
    void Changed();

private:
    const TBelvoraMonitor &m_monitor;
    QTimer m_timer;
    bool m_stale = false;
    QString m_text;
};
