#include "bFloor.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPieSeries>
#include <QPieSlice>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "bFloorCallers.h"
#include "bFloorCountdown.h"
#include "bFloorCounter.h"
#include "bFloorGraph.h"

namespace {

constexpr int CounterStripHeight = 20;
constexpr int ExtremesWidth = 44;
constexpr int ColumnWidths[] = {420, 60, 115, 140};
constexpr int ToolButtons = 9;
constexpr double EurosPerMinute = 0.2;
enum TCounter { Online, Calls, Minutes, Euros };
constexpr int CounterDigits[] = {3, 4, 8, 5};
enum TTotalsField { TotalsCode, TotalsCalls = 3, TotalsSeconds };

// "=|yyyymmdd hhnnss|count" heads the callers.
int SecondOfDay(QStringView line)
{
    const QStringView time = line.mid(11, 6);
    return time.mid(0, 2).toInt() * 3600 + time.mid(2, 2).toInt() * 60 + time.mid(4, 2).toInt();
}

} // namespace

TFloorWindow::TFloorWindow(bool rollCounters, QWidget *parent)
    : QWidget(parent)
    , List(new QTreeWidget)
    , Pie(new QPieSeries)
    , Graph(new TFloorGraph)
    , MaxLabel(new QLabel)
    , MinLabel(new QLabel)
    , Countdown(new TFloorCountdown(PollMs))
    , Callers(std::make_unique<TFloorCallers>(List))
{
    setWindowTitle(QStringLiteral("bvfloor"));
    resize(864, 520);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    // Stands for the program's tool bar, so that the list shows as many rows.
    auto *toolBar = new QToolBar;
    toolBar->setIconSize(QSize(16, 16));
    for (int i = 0; i < ToolButtons; ++i)
        toolBar->addAction(QStringLiteral("%1").arg(i));
    layout->addWidget(toolBar);

    List->setRootIsDecorated(false);
    List->setUniformRowHeights(true);
    List->setAllColumnsShowFocus(true);
    List->setIconSize(QSize(32, 16));
    List->setHeaderLabels({QStringLiteral("Naam"), QStringLiteral("Tijd"), QStringLiteral("Nummer"),
                             QStringLiteral("Start"), QStringLiteral("Info")});
    // As wide as the monitor's fitted columns: the same texts, none of them elided.
    for (int column = 0; column < 4; ++column)
        List->setColumnWidth(column, ColumnWidths[column]);
    auto *tabs = new QTabWidget;
    tabs->addTab(List, QStringLiteral("&Online bellers"));
    auto *chart = new QChartView;
    chart->chart()->addSeries(Pie);
    chart->chart()->legend()->hide();
    chart->chart()->setTitle(QStringLiteral("Minuten per programma"));
    chart->setRenderHint(QPainter::Antialiasing);
    Pie->setLabelsVisible(true);
    tabs->addTab(chart, QStringLiteral("&Grafiek"));
    layout->addWidget(tabs, 1);
    auto *graphStrip = new QHBoxLayout;
    auto *extremes = new QVBoxLayout;
    for (QLabel *label : {MaxLabel, MinLabel}) {
        label->setFixedWidth(ExtremesWidth);
        extremes->addWidget(label);
    }
    graphStrip->addLayout(extremes);
    graphStrip->addWidget(Graph, 1);
    layout->addLayout(graphStrip);

    auto *strip = new QWidget;
    strip->setFixedHeight(CounterStripHeight);
    auto *counters = new QHBoxLayout(strip);
    counters->setContentsMargins(2, 2, 2, 2);
    for (int digits : CounterDigits) {
        Counters.append(new TFloorCounter(digits, rollCounters));
        counters->addWidget(Counters.last());
    }
    counters->addStretch(1);
    counters->addWidget(Countdown);
    layout->addWidget(strip);
}

TFloorWindow::~TFloorWindow() = default;

void TFloorWindow::SetProgrammes(QStringView reply)
{
    bool echo = true;
    for (QStringView line : reply.tokenize(u'\n')) {
        line.chop(line.endsWith(u'\r') ? 1 : 0);
        const qsizetype colon = line.indexOf(u':');
        if (!std::exchange(echo, false) && colon > 0)
            ProgNames.insert(line.left(colon).toString(), line.sliced(colon + 1).toString());
    }
}

void TFloorWindow::ShowCallers(QStringView reply)
{
    if (!reply.startsWith(u"103\r\n"))
        return;
    int secondOfDay = 0;
    qint64 calls = 0;
    qint64 seconds = 0;
    // Per programme code, in the order the reply names them: a handful.
    QList<QPair<QStringView, qint64>> secondsPerProgramme;
    for (QStringView line : reply.tokenize(u'\n')) {
        line.chop(line.endsWith(u'\r') ? 1 : 0);
        if (line.startsWith(u'+')) {
            Callers->Take(line, ProgNames);
        } else if (line.startsWith(u'$')) {
            // "$code|country|access|calls|seconds"
            qsizetype index = 0;
            QStringView code;
            for (QStringView field : line.sliced(1).tokenize(u'|')) {
                if (index == TotalsCode) {
                    code = field.trimmed();
                } else if (index == TotalsCalls) {
                    calls += field.toLongLong();
                } else if (index == TotalsSeconds) {
                    const qint64 cellSeconds = field.toLongLong();
                    seconds += cellSeconds;
                    auto sum = std::find_if(secondsPerProgramme.begin(), secondsPerProgramme.end(),
                                            [code](const auto &entry) { return entry.first == code; });
                    if (sum == secondsPerProgramme.end())
                        secondsPerProgramme.append({code, cellSeconds});
                    else
                        sum->second += cellSeconds;
                }
                ++index;
            }
        } else if (line.startsWith(u'=')) {
            secondOfDay = SecondOfDay(line);
        }
    }
    const int online = Callers->End();
    Counters[Online]->SetValue(online);
    Counters[Calls]->SetValue(calls);
    Counters[Minutes]->SetValue(seconds * 100 / 60);
    Counters[Euros]->SetValue(qRound64(double(seconds) / 60 * EurosPerMinute));
    Graph->AddSample(secondOfDay, online);
    MaxOnline = qMax(MaxOnline, online);
    MinOnline = qMin(MinOnline, online);
    MaxLabel->setNum(MaxOnline);
    MinLabel->setNum(MinOnline);
    UpdatePie(secondsPerProgramme);
}

void TFloorWindow::RestartCountdown()
{
    Countdown->Restart();
}

void TFloorWindow::UpdatePie(const QList<QPair<QStringView, qint64>> &secondsPerProgramme)
{
    double total = 0;
    for (const auto &[code, seconds] : secondsPerProgramme)
        total += double(seconds);
    QList<QPair<QPieSlice *, double>> changes;
    for (const auto &[codeView, seconds] : secondsPerProgramme) {
        const QString code = codeView.toString();
        const QString name = ProgNames.value(code, code);
        QPieSlice *&slice = Slices[code];
        if (!slice)
            slice = Pie->append(name, 0);
        const double minutes = double(seconds) / 60;
        if (slice->value() != minutes)
            changes.append({slice, minutes});
        const double percent = total > 0 ? 100 * double(seconds) / total : 0;
        const QString label = name + u' ' + QLocale().toString(percent, 'f', 1) + u'%';
        if (slice->label() != label) {
            const QSignalBlocker blocker(slice);
            slice->setLabel(label);
        }
    }
    // Each slice's value signal lays out the whole pie: only the last change sends it.
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const QSignalBlocker blocker(i + 1 < changes.size() ? changes[i].first : nullptr);
        changes[i].first->setValue(changes[i].second);
    }
}
