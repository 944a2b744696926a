// The main window's outlook on its figures: whether they are still live, where the day
// is heading by yesterday's measure, when it keeps quiet, and the exports to CSV.

#include "uMain.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QToolTip>

#include <array>
#include <functional>

#include "uAnalogNumber.h"
#include "uArtwork.h"
#include "uBig.h"
#include "uClock.h"
#include "uDayCounter.h"
#include "uDayStore.h"
#include "uExport.h"
#include "uFetcher.h"
#include "uForecast.h"
#include "uFreshness.h"
#include "uHistory.h"
#include "uHistoryBox.h"
#include "uListView.h"
#include "uMonitor.h"
#include "uNoDrawPanel.h"
#include "uOverview.h"
#include "uSettings.h"
#include "uSmall.h"
#include "uUnits.h"

namespace {

constexpr int HalfHour = MinutesPerHour / 2;
// From this many failed transfers in a row the connection counts as lost.
constexpr int FailuresShown = 3;

// Online, calls, minutes, euros of one window.
using TCounterSet = std::array<TAnalogNumber *, 4>;

QString QuietEndText(const QDateTime &end, const QDateTime &now)
{
    const QString time = end.toString(QStringLiteral("HH:mm"));
    if (end.date() == now.date())
        return QStringLiteral("Stil tot ") + time;
    if (end.date() == now.date().addDays(1))
        return QStringLiteral("Stil tot morgen ") + time;
    return QStringLiteral("Stil tot ") + end.toString(QStringLiteral("dd-MM-yyyy ")) + time;
}

} // namespace

void TfrmMain::CreateOutlook()
{
    m_monitor->IsQuiet = [this] { return m_quiet.IsQuiet(Clock::Now()); };
    m_monitor->History().SetShowYesterday(Settings.ShowYesterday);
    m_freshness = new TFreshness(*m_monitor, this);
    connect(m_freshness, &TFreshness::Changed, this, &TfrmMain::ShowOutlook);
    connect(m_monitor.get(), &TBelvoraMonitor::ReplyProcessed, this, &TfrmMain::ShowOutlook);
    connect(m_monitor.get(), &TBelvoraMonitor::ReplyProcessed, this, [this] { ShowOverview(false); });
    connect(tsOverview, &TOverviewPage::ExportRequested, this, [this] {
        Export::SaveCsv(QStringLiteral("overzicht"), Clock::Now().date(), tsOverview->ExportRows());
    });
    connect(m_connector.get(), &TFetcher::FailuresChanged, this, &TfrmMain::ShowOutlook);
    CreateTrayMenu();
    CreateGraphMenu();
    ShowOutlook();
}

void TfrmMain::CreateTrayMenu()
{
    pmTray = new QMenu(this);
    // The way back where a click on the tray icon does nothing.
    connect(pmTray->addAction(QStringLiteral("Tonen")), &QAction::triggered, this, &TfrmMain::Restore);
    pmTray->addAction(acStartStop);
    pmTray->addSeparator();
    const QList<std::pair<QString, std::function<void()>>> snoozes = {
        {QStringLiteral("Stil voor 30 minuten"), [this] { m_quiet.SnoozeFor(Clock::Now(), HalfHour); }},
        {QStringLiteral("Stil voor 1 uur"), [this] { m_quiet.SnoozeFor(Clock::Now(), MinutesPerHour); }},
        {QStringLiteral("Stil tot morgen"), [this] { m_quiet.SnoozeUntilTomorrow(Clock::Now()); }},
    };
    QAction *tomorrow = nullptr; // the last snooze
    for (const auto &[text, snooze] : snoozes) {
        // Copied by name: clang before 16 cannot capture a structured binding (the fuzz build).
        tomorrow = pmTray->addAction(text);
        connect(tomorrow, &QAction::triggered, this, [this, snooze = snooze] {
            snooze();
            QuietChanged();
        });
    }
    QAction *resume = pmTray->addAction(QStringLiteral("Geluid en meldingen weer aan"));
    connect(resume, &QAction::triggered, this, [this] {
        m_quiet.Resume(Clock::Now());
        QuietChanged();
    });
    connect(pmTray, &QMenu::aboutToShow, this, [this, resume, tomorrow] {
        const QDateTime now = Clock::Now();
        resume->setEnabled(m_quiet.IsQuiet(now));
        // Says when the morning is: the quiet hours' end, which the options may change.
        tomorrow->setText(QuietEndText(m_quiet.NextMorning(now), now));
    });
    pmTray->addSeparator();
    connect(pmTray->addAction(QStringLiteral("Afsluiten")), &QAction::triggered, this, &TfrmMain::QuitRequested);
    m_tray->setContextMenu(pmTray);
}

void TfrmMain::CreateGraphMenu()
{
    pmGraph = new QMenu(this);
    mnuYesterday = pmGraph->addAction(QStringLiteral("Gisteren tonen"));
    mnuYesterday->setCheckable(true);
    mnuYesterday->setChecked(Settings.ShowYesterday);
    connect(mnuYesterday, &QAction::triggered, this, [this](bool on) {
        Settings.ShowYesterday = on;
        m_monitor->History().SetShowYesterday(on);
    });
    connect(pmGraph->addAction(QStringLiteral("Dag exporteren...")), &QAction::triggered, this, &TfrmMain::ExportDay);
    pbHistory->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pbHistory, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { pmGraph->popup(pbHistory->mapToGlobal(pos)); });
}

void TfrmMain::QuietChanged()
{
    // Written at once, so a snooze outlives a crash as well as a restart.
    SaveSettings();
    ShowOutlook();
}

void TfrmMain::ShowOutlook()
{
    const bool stale = m_freshness->Stale();
    const QString staleText = m_freshness->Text();
    const QString forecast = stale ? QString() : ForecastText(m_monitor->Forecast());
    const QString connection = ConnectionText();
    const QString trouble = connection.isEmpty() ? LastTroubleText() : connection;
    QStringList onlineNotes;
    QStringList dayNotes;
    for (const QString &note : {trouble, staleText, forecast}) {
        if (note.isEmpty())
            continue;
        dayNotes << note;
        // A forecast for the online count would mean nothing.
        if (note != forecast)
            onlineNotes << note;
    }

    QList<TCounterSet> sets{{anOnline, anCalls, anMinutes, anEuros}};
    if (frmSmall)
        sets.append({frmSmall->anOnline, frmSmall->anCalls, frmSmall->anMinutes, frmSmall->anEuros});
    if (frmBig)
        sets.append({frmBig->anOnline, frmBig->anCalls, frmBig->anMinutes, frmBig->anEuro});
    for (const TCounterSet &set : sets) {
        for (std::size_t i = 0; i < set.size(); ++i) {
            set[i]->SetDimmed(stale);
            SetDayCounterNotes(set[i], (i == 0 ? onlineNotes : dayNotes).join(QLatin1Char('\n')));
        }
    }
    if (frmSmall)
        frmSmall->setToolTip(staleText);

    // The strip is shared with the caller details' notes: only what this put there goes.
    const QString strip = connection.isEmpty() ? (stale ? staleText : QString()) : connection;
    if (!strip.isEmpty()) {
        lblInfo->setText(strip);
        m_infoShowsOutlook = true;
    } else if (m_infoShowsOutlook) {
        lblInfo->clear();
        m_infoShowsOutlook = false;
    }
    lblInfo->setToolTip(strip);
    m_tray->setToolTip(TrayToolTip());
    // A hint on show tells the new age as well, not only the next one.
    if (QToolTip::isVisible()) {
        QWidget *under = QApplication::widgetAt(QCursor::pos());
        if (under && under->window() == frmSmall && under->toolTip().isEmpty())
            under = frmSmall;
        if (under && !under->toolTip().isEmpty() && under->toolTip() != QToolTip::text())
            QToolTip::showText(QCursor::pos(), under->toolTip(), under);
    }
    const bool quiet = m_quiet.IsQuiet(Clock::Now());
    if (quiet != m_trayShowsQuiet) {
        m_trayShowsQuiet = quiet;
        m_tray->setIcon(quiet ? Artwork::QuietIcon() : windowIcon());
    }
}

QString TfrmMain::ConnectionText() const
{
    if (m_connector->FailCount() < FailuresShown)
        return {};
    return QStringLiteral("Geen verbinding: ") + m_connector->LastFailure() + QStringLiteral(" sinds ")
        + m_connector->FailingSince().toString(QStringLiteral("HH:mm"));
}

QString TfrmMain::LastTroubleText() const
{
    const QDateTime at = m_connector->LastFailureAt();
    if (!at.isValid())
        return {};
    return QStringLiteral("Laatste storing ") + at.toString(QStringLiteral("HH:mm")) + QStringLiteral(": ")
        + m_connector->LastFailure();
}

QString TfrmMain::TrayToolTip() const
{
    QStringList lines{windowTitle()};
    if (const QString connection = ConnectionText(); !connection.isEmpty())
        lines << connection;
    else if (const QString trouble = LastTroubleText(); !trouble.isEmpty())
        lines << trouble;
    if (m_freshness->Stale())
        lines << m_freshness->Text();
    else if (const QString forecast = ForecastText(m_monitor->Forecast()); !forecast.isEmpty())
        lines << forecast;
    const QDateTime now = Clock::Now();
    if (const QDateTime end = m_quiet.EndsAt(now); end.isValid())
        lines << QuietEndText(end, now);
    return lines.join(QLatin1Char('\n'));
}

TStatusSnapshot TfrmMain::StatusSnapshot() const
{
    // Only figures already held: a panel asks every few seconds and waits for the answer.
    TStatusSnapshot status;
    status.Online = m_monitor->OnlineNow();
    status.Callers = m_monitor->CallsToday();
    status.Minutes = MinutesFromSeconds(m_monitor->SecondsToday());
    if (!PayoutRules.empty())
        status.Euros = m_monitor->EurosToday();
    status.Stale = m_freshness->Stale();
    // As the counters' hints: no forecast from figures that are no longer live.
    if (const TDayForecast forecast = m_monitor->Forecast(); !status.Stale && !forecast.IsEmpty())
        status.Forecast = TStatusSnapshot::TForecast{forecast.Callers, forecast.Minutes, forecast.Euros};
    status.Quiet = m_quiet.IsQuiet(Clock::Now());
    if (m_monitor->LastReplyTime > 0)
        status.LastReply = Clock::FromLocalSeconds(m_monitor->LastReplyTime);
    return status;
}

void TfrmMain::ExportList(TListView *list, const QString &name)
{
    if (list)
        Export::SaveCsv(name, Clock::Now().date(), Export::ListRows(*list));
}

void TfrmMain::ExportDay()
{
    const TDayStore &history = m_monitor->DayStore();
    Export::SaveCsv(QStringLiteral("dag"), Clock::FromLocalSeconds(history.DayStart()).date(),
                    Export::DayRows(history));
}

void TfrmMain::ShowOverview(bool reread)
{
    if (!reread && pcMain->currentWidget() != tsOverview)
        return;
    const TDayStore &history = m_monitor->DayStore();
    const QDate today = Clock::Now().date();
    std::optional<THistorySample> live;
    if (history.Count() > 0 && Clock::FromLocalSeconds(history.DayStart()).date() == today)
        live = history.Sample(history.Count() - 1);
    if (reread)
        tsOverview->Reload(today, live);
    else
        tsOverview->SetLive(today, live);
}
