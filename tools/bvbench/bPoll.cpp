// The whole path of a poll as the program runs it, the start to the first shown window
// and the counters' roll, each beside the floor program's same work where plain Qt has it.

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

#include <benchmark/benchmark.h>

#include "bFloor.h"
#include "bProgrammes.h"
#include "uAnalogNumber.h"
#include "uChartLabels.h"
#include "uClock.h"
#include "uCodec.h"
#include "uFetcher.h"
#include "uHistory.h"
#include "uHistoryBox.h"
#include "uListView.h"
#include "uMain.h"
#include "uMonitor.h"
#include "uPayout.h"
#include "uReplyEnvelope.h"
#include "uSettings.h"
#include "uTotalsChart.h"
#include "uTriggers.h"

namespace {

constexpr int ProgrammeCount = 20;
constexpr int CallersOnline = 276;
constexpr int TotalsLines = 1150;
constexpr int LeavePerPoll = 3; // and as many arrive
constexpr int PollSeconds = 5;
const QByteArray Key = QByteArrayLiteral("DEMO-KEY-0001");

// The scrambled body of the callers reply at poll `poll`, as bvservice sends it at a rate
// of 80: 276 callers, of whom a few leave and as many arrive at each poll, and 1,150
// totals lines, a fifth of which move.
QByteArray Body(int poll)
{
    QString text = QStringLiteral("103\r\n");
    for (int i = 0; i < CallersOnline; ++i) {
        const int id = poll * LeavePerPoll + i;
        text += QStringLiteral("+%1|%2|Beller %2|%3|1|2|%4|06%2|20261208 101500|%5|1765188900|promo|10.0.0.%6\r\n")
                    .arg(ProgCode(id % ProgrammeCount))
                    .arg(100000 + id)
                    .arg(id % 18)
                    .arg(id % 17)
                    .arg((poll * LeavePerPoll + CallersOnline - id) * PollSeconds)
                    .arg(id % 250);
    }
    for (int i = 0; i < TotalsLines; ++i) {
        const int moved = i % 5 == poll % 5 ? poll : poll - 1;
        text += QStringLiteral("$%1|%2|%3|%4|%5\r\n")
                    .arg(ProgCode(i % ProgrammeCount))
                    .arg(i / ProgrammeCount % 18)
                    .arg(i / ProgrammeCount / 18 % 17)
                    .arg(i + moved)
                    .arg((i + moved) * 60);
    }
    QByteArray body = Codec::Encode(text);
    for (qsizetype i = 0; i < body.size(); ++i)
        body[i] = char(body[i] ^ ReplyMask ^ Key[i % Key.size()]);
    return '>' + body;
}

// A private program folder with the programmes, a payout rule and three triggers.
struct TBenchAccount
{
    QTemporaryDir Dir;

    TBenchAccount()
    {
        ProgramDir = Dir.path() + QLatin1Char('/');
        Clock::SetNowFunction([] { return QDateTime(QDate(2026, 12, 8), QTime(14, 0, 0)); });
        FillProgrammes(ProgrammeCount);
        for (const char *line : {"0||0|4|0|4|Druk|2|1", "0||1|3|100|4|Veel|0|1", "0||6|0|5|4|Rustig|0|1"}) {
            auto trigger = std::make_unique<TTrigger>();
            ParseTrigger(*trigger, QString::fromLatin1(line));
            TTriggers.push_back(std::move(trigger));
        }
    }
    ~TBenchAccount()
    {
        TPProgs.clear();
        PayoutRules.clear();
        TTriggers.clear();
        Clock::SetNowFunction(nullptr);
    }
};

void WaitExposed(QWidget &window)
{
    window.show();
    for (int i = 0; i < 100 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void BM_PollWholePath(benchmark::State &state)
{
    TBenchAccount account;
    QWidget window;
    window.resize(864, 520);
    auto *layout = new QVBoxLayout(&window);
    auto *lists = new QHBoxLayout;
    TBelvoraMonitor monitor(nullptr);
    auto *callers = new TListView;
    callers->SetRows(&monitor.CallerRows());
    auto *totals = new TListView;
    totals->SetRows(&monitor.TotalsRows());
    auto *chart = new QChartView;
    lists->addWidget(callers, 2);
    lists->addWidget(totals, 1);
    lists->addWidget(chart, 1);
    layout->addLayout(lists, 1);
    auto *graph = new THistoryBox;
    graph->setFixedHeight(48);
    layout->addWidget(graph);
    WaitExposed(window);

    TTotalsChart totalsChart(chart->chart());
    totalsChart.SetStyle(TTotalsChart::Pie);
    QObject::connect(&monitor, &TBelvoraMonitor::TotalsChanged, [&] {
        QString title;
        totalsChart.Show(title, monitor.ChartPoints(&title));
    });
    graph->ShowGraph(&monitor.History());
    monitor.PollTime = Clock::LocalSecondsNow();
    int marked = -1;
    int poll = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QByteArray body = Body(poll++);
        state.ResumeTiming();
        // What the connector does with a reply body ...
        QByteArray scrambled = body.mid(1);
        Decode(scrambled, Key);
        const QStringList lines = SplitReplyLines(Codec::Decode(scrambled));
        // ... the monitor, the chart's labels as the main window lays them out, and paint.
        monitor.PollTime += PollSeconds;
        monitor.ProcessCallersReply(lines);
        if (totalsChart.Revision() != marked) {
            marked = totalsChart.Revision();
            FitChartLabels(*chart->chart(), LabelsNamePercent, true);
        }
        window.repaint();
    }
    state.counters["callers"] = double(monitor.Callers.size());
}
BENCHMARK(BM_PollWholePath)->Unit(benchmark::kMillisecond);

void BM_FloorPoll(benchmark::State &state)
{
    TFloorWindow window;
    QString programmes = QStringLiteral("106");
    for (int i = 0; i < ProgrammeCount; ++i)
        programmes += QStringLiteral("\r\n%1:Programma %2").arg(ProgCode(i)).arg(i);
    window.SetProgrammes(programmes);
    WaitExposed(window);
    int poll = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QByteArray body = Body(poll++);
        state.ResumeTiming();
        QByteArray scrambled = body.mid(1);
        Decode(scrambled, Key);
        window.ShowCallers(Codec::Decode(scrambled));
        window.repaint();
    }
}
BENCHMARK(BM_FloorPoll)->Unit(benchmark::kMillisecond);

// Construction to the first painted window, in process: fonts and Qt's own caches are
// warm after the first round, so this is the program's own share of a start.
void BM_StartUp(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto dir = std::make_unique<QTemporaryDir>();
        QFile settings(dir->path() + QStringLiteral("/bvsettings.ini"));
        settings.open(QIODevice::WriteOnly);
        // No password: nothing polls; the version check goes nowhere.
        settings.write("[settings]\r\nversionurl=http://127.0.0.1:1/\r\n[window]\r\nInfo=1\r\n");
        settings.close();
        state.ResumeTiming();
        auto main = std::make_unique<TfrmMain>(dir->path());
        WaitExposed(*main);
        main->repaint();
        state.PauseTiming();
        main.reset();
        dir.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FloorStartUp(benchmark::State &state)
{
    for (auto _ : state) {
        auto window = std::make_unique<TFloorWindow>();
        WaitExposed(*window);
        window->repaint();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FloorStartUp)->Unit(benchmark::kMillisecond)->Iterations(10);

// One roll of the minutes counter to a number that changes every digit: CPU time of its
// ticks and paints (the wall time is the roll's ClockRate).
void BM_CounterRoll(benchmark::State &state)
{
    TAnalogNumber counter;
    counter.SetDigits(8);
    counter.SetSeparatorPos(5);
    counter.SetDigitPicture(MakeDigitPicture());
    counter.SetClockRate(700);
    counter.resize(counter.sizeHint());
    WaitExposed(counter);
    int value = 0;
    for (auto _ : state) {
        value += 1111111;
        counter.SetNextValue(value % 100000000);
        while (counter.Rolling())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    state.counters["ticks"] = counter.RollTicks();
}
BENCHMARK(BM_CounterRoll)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
