#include "uOverview.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "uClock.h"
#include "uGlobal.h"
#include "uPeriods.h"
#include "uUnits.h"

namespace {

constexpr int LabelRows = 2;          // day numbers and month names under the plot
constexpr int TopRoom = 14;           // the scale's text and the marks above the bars
constexpr int BarGap = 2;
constexpr int DayLabelGap = 4;   // between two day numbers under the bars
constexpr double ScaleRoom = 1.05;
constexpr int MsPerSecond = 1000;
const QColor PlotColor{233, 233, 238};
const QColor WeekendPlotColor{222, 222, 230};
const QColor GapColor{150, 150, 160};
const QColor DamageColor{200, 0, 0};

const QStringList ShortDays{QStringLiteral("ma"), QStringLiteral("di"), QStringLiteral("wo"), QStringLiteral("do"),
                            QStringLiteral("vr"), QStringLiteral("za"), QStringLiteral("zo")};
const QStringList Months{QStringLiteral("jan"), QStringLiteral("feb"), QStringLiteral("mrt"), QStringLiteral("apr"),
                         QStringLiteral("mei"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("aug"),
                         QStringLiteral("sep"), QStringLiteral("okt"), QStringLiteral("nov"), QStringLiteral("dec")};

bool IsWeekend(const QDate &date)
{
    return date.dayOfWeek() >= Qt::Saturday;
}

QString DayText(const QDate &date)
{
    return ShortDays.value(date.dayOfWeek() - 1) + QLatin1Char(' ') + date.toString(QStringLiteral("dd-MM-yyyy"));
}

// The figure as the day file holds it, in the unit it is shown in.
double Shown(qint64 raw, TDayFigure figure)
{
    switch (figure) {
    case TDayFigure::Callers:
        return double(raw);
    case TDayFigure::Seconds:
        return MinutesFromSeconds(raw);
    case TDayFigure::Cents:
        return double(raw) / CentsPerEuro;
    }
    return 0;
}

} // namespace

// --- Bars ---

TOverviewBars::TOverviewBars(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(320, 140);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TOverviewBars::SetBars(std::vector<TBar> bars, std::function<QString(double)> valueText)
{
    m_bars = std::move(bars);
    m_valueText = std::move(valueText);
    update();
}

QRect TOverviewBars::PlotRect() const
{
    const int rowHeight = fontMetrics().height();
    return rect().adjusted(4, TopRoom + rowHeight / 2, -4, -LabelRows * rowHeight - 4);
}

double TOverviewBars::ScaleTop() const
{
    double top = 0;
    for (const TBar &bar : m_bars)
        top = std::max(top, bar.Value.value_or(0));
    return top > 0 ? top * ScaleRoom : 1;
}

QRect TOverviewBars::BarRect(int index) const
{
    const QRect plot = PlotRect();
    const int count = std::max<int>(1, int(m_bars.size()));
    const int left = plot.left() + plot.width() * index / count;
    const int right = plot.left() + plot.width() * (index + 1) / count;
    return QRect(QPoint(left, plot.top()), QPoint(right - 1, plot.bottom()));
}

int TOverviewBars::BarAt(int x) const
{
    for (int i = 0; i < int(m_bars.size()); ++i) {
        const QRect r = BarRect(i);
        if (x >= r.left() && x <= r.right())
            return i;
    }
    return -1;
}

void TOverviewBars::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRect plot = PlotRect();
    p.fillRect(plot, PlotColor);
    const double top = ScaleTop();
    const int rowHeight = fontMetrics().height();
    const int count = int(m_bars.size());
    // Where two-digit day numbers would touch, every other day is named, counted back
    // from today so that today always is.
    const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("28")) + DayLabelGap;
    const int labelStep = count > 0 && plot.width() / count < labelWidth ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        const TBar &bar = m_bars[std::size_t(i)];
        const QRect slot = BarRect(i);
        if (IsWeekend(bar.Date))
            p.fillRect(slot, WeekendPlotColor);
        const QRect inner = slot.adjusted(BarGap / 2, 0, -BarGap / 2, 0);
        if (bar.Value) {
            const int height = int(std::lround(*bar.Value / top * plot.height()));
            const QColor colour = bar.Today ? TodayColor : IsWeekend(bar.Date) ? WeekendColor : WeekdayColor;
            p.fillRect(QRect(inner.left(), plot.bottom() - height + 1, inner.width(), height), colour);
        } else {
            // A gap: no file, so no value, not a zero.
            p.fillRect(inner, QBrush(GapColor, Qt::BDiagPattern));
        }
        if (bar.Damaged) {
            p.setPen(DamageColor);
            p.drawText(QRect(slot.left(), plot.top() - TopRoom, slot.width(), TopRoom), Qt::AlignCenter,
                       QStringLiteral("!"));
        }
        p.setPen(IsWeekend(bar.Date) ? WeekendColor : palette().color(QPalette::WindowText));
        QFont font = p.font();
        font.setBold(bar.Today);
        p.setFont(font);
        if ((count - 1 - i) % labelStep == 0) {
            p.drawText(QRect(slot.left() - 4, plot.bottom() + 2, slot.width() + 8, rowHeight), Qt::AlignCenter,
                       QString::number(bar.Date.day()));
        }
        font.setBold(false);
        p.setFont(font);
        if (i == 0 || bar.Date.day() == 1) {
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(QRect(slot.left(), plot.bottom() + 2 + rowHeight, 60, rowHeight), Qt::AlignLeft,
                       Months.value(bar.Date.month() - 1));
        }
    }
    if (m_valueText) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(plot.left(), 0, plot.width(), TopRoom + rowHeight / 2), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("max ") + m_valueText(top / ScaleRoom));
    }
}

bool TOverviewBars::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const int index = BarAt(help->pos().x());
    if (index < 0 || !m_valueText) {
        QToolTip::hideText();
        return true;
    }
    const TBar &bar = m_bars[std::size_t(index)];
    QString text = DayText(bar.Date) + QStringLiteral(": ")
        + (bar.Value ? m_valueText(*bar.Value) : QStringLiteral("geen gegevens"));
    if (bar.Today)
        text += QStringLiteral(" (tot nu)");
    if (bar.Damaged)
        text += QStringLiteral("\nDagbestand beschadigd: gelezen tot de laatste goede regel");
    QToolTip::showText(help->globalPos(), text, this);
    return true;
}

// --- Page ---

TOverviewPage::TOverviewPage(const QString &programDir, QWidget *parent)
    : QWidget(parent)
    , m_store(programDir)
{
    auto *layout = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    auto *choice = new QHBoxLayout;
    choice->addWidget(new QLabel(QStringLiteral("Toon")));
    cbxFigure = new QComboBox;
    cbxFigure->setObjectName(QStringLiteral("cbxFigure"));
    cbxFigure->addItems({QStringLiteral("Bellers"), QStringLiteral("Minuten"), QStringLiteral("Euro's")});
    choice->addWidget(cbxFigure);
    choice->addStretch(1);
    auto *btnExport = new QPushButton(QStringLiteral("Exporteren..."));
    choice->addWidget(btnExport);
    left->addLayout(choice);
    pbDays = new TOverviewBars;
    pbDays->setObjectName(QStringLiteral("pbDays"));
    left->addWidget(pbDays, 1);
    layout->addLayout(left, 3);

    auto *right = new QVBoxLayout;
    constexpr int LineCount = 5;
    for (int i = 0; i < LineCount; ++i) {
        auto *label = new QLabel;
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        right->addWidget(label);
        m_lines << label;
    }
    right->addStretch(1);
    layout->addLayout(right, 2);

    connect(cbxFigure, &QComboBox::currentIndexChanged, this,
            [this](int index) { SetFigure(TDayFigure(std::clamp(index, 0, 2))); });
    connect(btnExport, &QPushButton::clicked, this, &TOverviewPage::ExportRequested);
}

void TOverviewPage::Reload(const QDate &today, const std::optional<THistorySample> &live)
{
    m_today = today;
    m_store.Load(OverviewStart(today), today);
    SetLive(today, live);
}

void TOverviewPage::SetLive(const QDate &today, const std::optional<THistorySample> &live)
{
    if (today != m_today) {
        Reload(today, live);
        return;
    }
    if (live)
        m_store.SetLive(today, *live);
    ShowFigures();
}

void TOverviewPage::SetFigure(TDayFigure figure)
{
    m_figure = figure;
    if (cbxFigure->currentIndex() != int(figure))
        cbxFigure->setCurrentIndex(int(figure));
    ShowFigures();
}

QString TOverviewPage::ValueText(double value) const
{
    const QLocale locale;
    switch (m_figure) {
    case TDayFigure::Callers:
        return locale.toString(qint64(std::llround(value))) + QStringLiteral(" bellers");
    case TDayFigure::Seconds:
        return locale.toString(qint64(std::llround(value))) + QStringLiteral(" minuten");
    case TDayFigure::Cents:
        return QStringLiteral("€ ") + locale.toString(value, 'f', 2);
    }
    return {};
}

QString TOverviewPage::ChangeText(const std::optional<int> &percent, const QString &against) const
{
    if (!percent)
        return QStringLiteral("niets om mee te vergelijken (") + against + QLatin1Char(')');
    const QString sign = *percent > 0 ? QStringLiteral("+") : QString();
    return sign + QLocale().toString(*percent) + QStringLiteral(" % t.o.v. ") + against;
}

QString TOverviewPage::SumText(const QString &title, qint64 value, int missing) const
{
    QString text = title + QStringLiteral(": ") + ValueText(Shown(value, m_figure));
    if (missing == 1)
        text += QStringLiteral(" (1 dag zonder gegevens)");
    else if (missing > 1)
        text += QStringLiteral(" (%1 dagen zonder gegevens)").arg(missing);
    return text;
}

void TOverviewPage::ShowFigures()
{
    if (!m_today.isValid())
        return;
    std::vector<TOverviewBars::TBar> bars;
    for (QDate d = m_today.addDays(1 - OverviewDays); d <= m_today; d = d.addDays(1)) {
        const std::optional<qint64> value = m_store.Value(d, m_figure);
        bars.push_back({d, value ? std::optional<double>(Shown(*value, m_figure)) : std::nullopt,
                        m_store.Day(d).Damaged, d == m_today});
    }
    pbDays->SetBars(std::move(bars), [this](double v) { return ValueText(v); });

    // Today so far goes beside the same day of the week or month before at the same time.
    std::optional<int> soFar;
    if (const auto &last = m_store.Day(m_today).Last)
        soFar = int(Clock::FromLocalSeconds(last->Time).time().msecsSinceStartOfDay() / MsPerSecond);
    const TPeriodChange week = ThisWeek(m_store, m_today, m_figure, soFar);
    const TPeriodChange month = ThisMonth(m_store, m_today, m_figure, soFar);
    const TPeriodChange last = LastMonth(m_store, m_today, m_figure);
    m_lines[0]->setText(SumText(QStringLiteral("Deze week"), week.Now.Value, week.Now.Missing) + QLatin1Char('\n')
                        + ChangeText(week.Percent, QStringLiteral("dezelfde dagen vorige week")));
    m_lines[1]->setText(SumText(QStringLiteral("Deze maand"), month.Now.Value, month.Now.Missing)
                        + QLatin1Char('\n') + ChangeText(month.Percent, QStringLiteral("dezelfde dagen vorige maand")));
    m_lines[2]->setText(SumText(QStringLiteral("Vorige maand"), last.Now.Value, last.Now.Missing) + QLatin1Char('\n')
                        + ChangeText(last.Percent, QStringLiteral("de maand ervoor")));
    const auto best = BestDay(m_store, m_today.addDays(1 - OverviewDays), m_today, m_figure);
    m_lines[3]->setText(QStringLiteral("Beste dag: ")
                        + (best ? DayText(best->Date) + QStringLiteral(", ") + ValueText(Shown(best->Value, m_figure))
                                : QStringLiteral("nog geen")));
    const auto forecast = MonthForecast(m_store, m_today, m_figure);
    m_lines[4]->setText(QStringLiteral("Verwacht deze maand: ")
                        + (forecast ? ValueText(Shown(qint64(std::llround(*forecast)), m_figure))
                                    : QStringLiteral("nog te weinig dagen")));
}

Export::TTable TOverviewPage::ExportRows() const
{
    Export::TTable table{{}, {2, 3, 4}};
    QList<QStringList> &rows = table.Rows;
    rows << QStringList{QStringLiteral("Datum"), QStringLiteral("Dag"), QStringLiteral("Bellers"),
                        QStringLiteral("Minuten"), QStringLiteral("Euro's"), QStringLiteral("Opmerking")};
    if (!m_today.isValid())
        return table;
    for (QDate d = m_today.addDays(1 - OverviewDays); d <= m_today; d = d.addDays(1)) {
        const TDayTotal &day = m_store.Day(d);
        QStringList row{d.toString(QStringLiteral("dd-MM-yyyy")), ShortDays.value(d.dayOfWeek() - 1)};
        if (day.Last) {
            row << QString::number(day.Last->Callers) << FormatFixed2(MinutesFromSeconds(day.Last->Seconds))
                << FormatFixed2(double(day.Last->Cents) / CentsPerEuro);
        } else {
            row << QString() << QString() << QString();
        }
        row << (d == m_today ? QStringLiteral("tot nu")
                : day.Damaged ? QStringLiteral("beschadigd")
                : !day.Last  ? QStringLiteral("geen gegevens")
                             : QString());
        rows << row;
    }
    return table;
}
