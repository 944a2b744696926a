// The totals as rows of a list, a detail list and chart points.

#include "uMonitor.h"
#include "uPayout.h"
#include "uUnits.h"

QString TBelvoraMonitor::ProgLabel(const QString &code) const
{
    return ShortNames ? code : ProgName(code);
}

void TBelvoraMonitor::UpdateTotalsView(bool rebuild)
{
    const QStringList &detailColumns = DetailColumns();
    if (TotalsDetail) {
        // Rebuilt whenever the count is not 30, which with our column table is always.
        if (m_totalsModel.ColumnCount() != DetailColumnCount) {
            int columns = 1;
            for (const QString &caption : detailColumns)
                columns += caption.isEmpty() ? 0 : 1;
            m_totalsModel.RebuildColumns(columns);
        }
    } else {
        const int wanted = PayoutRules.empty() ? SimpleTotalsColumns : SimpleTotalsColumnsWithEuros;
        if (m_totalsModel.ColumnCount() != wanted)
            m_totalsModel.SetColumnCount(wanted);
    }
    if (rebuild)
        m_totalsModel.Clear();

    const int columns = m_totalsModel.ColumnCount();
    for (const auto &totalsPtr : Totals) {
        TTotals &t = *totalsPtr;
        if (t.Updated == 0) {
            m_totalsModel.RemoveRowOf(t);
            continue;
        }
        const bool isNew = t.ListItem == NoListRow;
        const int row = m_totalsModel.RowFor(t);
        m_totalsModel.SetText(row, 0, ProgName(t.ProgCode));
        if (TotalsDetail) {
            int column = 1;
            for (int i = 0; i < DetailColumnCount && column < columns; ++i) {
                if (detailColumns[i].isEmpty())
                    continue;
                const int access = i / 2;
                m_totalsModel.SetText(row, column++,
                                    i % 2 == 0 ? CallsText(t, access, false) : MinutesText(t, access, false));
            }
        } else {
            const QString calls = CallsText(t, 0, true);
            // The mark shows the programmes that had new calls since the last refresh.
            m_totalsModel.SetMarked(row, !isNew && m_totalsModel.Text(row, 1) != calls);
            m_totalsModel.SetText(row, 1, calls);
            m_totalsModel.SetText(row, 2, MinutesText(t, 0, true));
            m_totalsModel.SetText(row, 3, AverageText(t, 0, true));
            if (columns >= SimpleTotalsColumnsWithEuros)
                m_totalsModel.SetText(row, 4, EurosText(t, 0, true));
        }
    }
    m_totalsModel.Publish();
}

std::vector<TTotalsDetailRow> TBelvoraMonitor::TotalsDetails(const TTotals *totals) const
{
    std::vector<TTotalsDetailRow> rows;
    if (!totals || totals->Updated != 1)
        return rows;
    const TTotals &t = *totals;
    rows.push_back({-1, QStringLiteral("Programma \"%1\"").arg(t.ProgCode.text()), ProgName(t.ProgCode)});
    const QStringList &detailColumns = DetailColumns();
    for (int i = 0; i < DetailColumnCount; ++i) {
        if (detailColumns[i].isEmpty())
            continue;
        const int access = i / 2;
        const QString value = i % 2 == 0 ? CallsText(t, access, false) : MinutesText(t, access, false);
        if (value != QLatin1String("0"))
            rows.push_back({access, AccessTypes()[access] + QLatin1Char(' ') + detailColumns[i], value});
    }
    return rows;
}

std::vector<TChartPoint> TBelvoraMonitor::ChartPoints(QString *title) const
{
    std::vector<TChartPoint> points;
    const auto minutes = [](qint64 seconds) { return MinutesFromSeconds(double(seconds)); };
    switch (ChartGrouping) {
    case GroupByProgramme:
        *title = QStringLiteral("Minuten per programma");
        for (const auto &t : Totals)
            points.push_back({minutes(TotalSeconds(*t)), ProgLabel(t->ProgCode)});
        break;
    case GroupByAccess:
        *title = QStringLiteral("Minuten per toegang");
        for (int a = 0; a < AccessTypeCount; ++a) {
            qint64 seconds = 0;
            for (const auto &t : Totals) {
                for (int c = 0; c < CountryCount; ++c)
                    seconds += t->Seconds[c][a];
            }
            if (seconds > 0)
                points.push_back({minutes(seconds), AccessTypes()[a]});
        }
        break;
    case GroupByProgrammeAndAccess:
        *title = QStringLiteral("Minuten per programma per toegang");
        for (const auto &t : Totals) {
            for (int c = 0; c < CountryCount; ++c) {
                for (int a = 0; a < AccessTypeCount; ++a) {
                    if (t->Seconds[c][a] > 0)
                        points.push_back({minutes(t->Seconds[c][a]),
                                          ProgLabel(t->ProgCode) + QLatin1Char(' ') + AccessTypes()[a]});
                }
            }
        }
        break;
    case GroupByCountry:
        *title = QStringLiteral("Minuten per land");
        for (int c = 0; c < CountryCount; ++c) {
            qint64 seconds = 0;
            for (const auto &t : Totals) {
                for (int a = 0; a < AccessTypeCount; ++a)
                    seconds += t->Seconds[c][a];
            }
            if (seconds > 0)
                points.push_back({minutes(seconds), Countries()[c]});
        }
        break;
    default:
        break;
    }
    return points;
}
