// The totals as a list, a detail list and a chart.

#include <QChart>
#include <QHeaderView>
#include <QTreeWidget>

#include "uMonitor.h"
#include "uPayout.h"
#include "uTotalsChart.h"
#include "uUnits.h"

namespace {

constexpr int ColumnPadding = 48;
constexpr int ValuePadding = 16;
constexpr int SimpleColumns = 4;
constexpr int SimpleColumnsWithEuros = 5;

int TextWidth(const QTreeWidget &view, const QString &text)
{
    return view.fontMetrics().horizontalAdvance(text);
}

QIcon AccessIcon(const TImageLists &images, int access)
{
    const int index = AccessImageIndex(access, images);
    return index >= 0 ? images.AccessTypes[index] : QIcon();
}

TTotalsRowKey RowKey(const TTotals &t, bool detail, int columns)
{
    TTotalsRowKey key;
    key.Detail = detail;
    key.Columns = columns;
    key.Name = ProgName(t.ProgCode);
    if (detail) {
        for (int access = 0; access < AccessTypeCount; ++access) {
            key.Calls[access] = AccessCalls(t, access);
            key.Seconds[access] = AccessSeconds(t, access);
        }
    } else {
        key.Calls[0] = TotalCalls(t);
        key.Seconds[0] = TotalSeconds(t);
        key.Euros = TotalEuros(t);
    }
    return key;
}

void Select(QTreeWidgetItem &item, bool selected)
{
    if (item.isSelected() != selected)
        item.setSelected(selected);
}

} // namespace

QString TBelvoraMonitor::ProgLabel(const QString &code) const
{
    return ShortNames ? code : ProgName(code);
}

void TBelvoraMonitor::UpdateTotalsView(bool rebuild)
{
    if (!TotalsView)
        return;
    QTreeWidget &view = *TotalsView;
    const QString firstCaption = QStringLiteral("Programma");
    const QStringList &detailColumns = DetailColumns();

    if (TotalsDetail) {
        // Rebuilt whenever the count is not 30, which with our column table is always.
        if (view.columnCount() != DetailColumnCount) {
            QStringList captions{firstCaption};
            for (const QString &caption : detailColumns) {
                if (!caption.isEmpty())
                    captions.append(caption);
            }
            view.setColumnCount(int(captions.size()));
            auto *header = new QTreeWidgetItem(captions);
            int column = 1;
            for (int i = 0; i < DetailColumnCount; ++i) {
                if (detailColumns[i].isEmpty())
                    continue;
                header->setIcon(column, AccessIcon(Images, i / 2));
                header->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
                ++column;
            }
            view.setHeaderItem(header);
            for (int c = 0; c < view.columnCount(); ++c)
                view.setColumnWidth(c, TextWidth(view, captions[c]) + ColumnPadding);
        }
    } else {
        const int wanted = PayoutRules.empty() ? SimpleColumns : SimpleColumnsWithEuros;
        if (view.columnCount() != wanted) {
            const QString first = view.headerItem()->text(0).isEmpty() ? firstCaption : view.headerItem()->text(0);
            QStringList captions{first, QStringLiteral("Bellers"), QStringLiteral("Minuten"),
                                 QStringLiteral("Gemiddeld")};
            if (wanted == SimpleColumnsWithEuros)
                captions.append(QStringLiteral("Euro's"));
            view.setColumnCount(wanted);
            // A new header item: the detail form's access-type pictures must not stay.
            auto *header = new QTreeWidgetItem(captions);
            for (int c = 1; c < wanted; ++c)
                header->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
            view.setHeaderItem(header);
        }
    }

    const int columns = view.columnCount();
    for (const auto &totalsPtr : Totals) {
        TTotals &t = *totalsPtr;
        if (t.Updated == 0) {
            delete t.ListItem;
            t.ListItem = nullptr;
            continue;
        }
        bool isNew = false;
        if (!t.ListItem || rebuild) {
            auto *item = new TTotalsItem(&t);
            view.addTopLevelItem(item);
            t.ListItem = item;
            isNew = true;
        }
        QTreeWidgetItem &item = *t.ListItem;
        auto *shown = item.type() == TTotalsItem::Type ? static_cast<TTotalsItem *>(&item) : nullptr;
        TTotalsRowKey key = RowKey(t, TotalsDetail, columns);
        if (shown && !isNew && shown->Shown == key) {
            // Nothing to show anew; in simple form the unchanged calls unselect the row.
            if (!TotalsDetail)
                Select(item, false);
            continue;
        }
        for (int c = 1; c < columns; ++c)
            item.setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        item.setText(0, key.Name);
        if (TotalsDetail) {
            int column = 1;
            for (int i = 0; i < DetailColumnCount && column < columns; ++i) {
                if (detailColumns[i].isEmpty())
                    continue;
                const int access = i / 2;
                item.setText(column++, i % 2 == 0 ? CallsText(t, access, false) : MinutesText(t, access, false));
            }
        } else {
            const QString oldCalls = item.text(1);
            const QString calls = CallsText(t, 0, true);
            item.setText(1, calls);
            item.setText(2, MinutesText(t, 0, true));
            item.setText(3, AverageText(t, 0, true));
            if (columns >= SimpleColumnsWithEuros)
                item.setText(4, EurosText(t, 0, true));
            // Selection marks the programmes that had new calls since the last refresh.
            Select(item, !isNew && oldCalls != calls);
        }
        if (shown)
            shown->Shown = std::move(key);
    }
}

void TBelvoraMonitor::ShowTotalsDetails(QTreeWidget *view, const TTotals *totals) const
{
    if (!view)
        return;
    view->clear();
    int captionWidth = TextWidth(*view, view->headerItem()->text(0));
    int valueWidth = TextWidth(*view, view->headerItem()->text(1));
    const auto addRow = [&](const QIcon &icon, const QString &caption, const QString &value) {
        auto *item = new QTreeWidgetItem(view, QStringList{caption, value});
        item->setIcon(0, icon);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        captionWidth = qMax(captionWidth, TextWidth(*view, caption));
        valueWidth = qMax(valueWidth, TextWidth(*view, value));
    };
    if (totals && totals->Updated == 1) {
        const TTotals &t = *totals;
        addRow(QIcon(), QStringLiteral("Programma \"%1\"").arg(t.ProgCode.text()), ProgName(t.ProgCode));
        const QStringList &detailColumns = DetailColumns();
        for (int i = 0; i < DetailColumnCount; ++i) {
            if (detailColumns[i].isEmpty())
                continue;
            const int access = i / 2;
            const QString value = i % 2 == 0 ? CallsText(t, access, false) : MinutesText(t, access, false);
            if (value != QLatin1String("0"))
                addRow(AccessIcon(Images, access), AccessTypes()[access] + QLatin1Char(' ') + detailColumns[i], value);
        }
    }
    view->setColumnWidth(0, captionWidth + ColumnPadding);
    view->setColumnWidth(1, valueWidth + ValuePadding);
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

void TBelvoraMonitor::UpdateChart()
{
    if (!m_chart || !m_chart->IsVisible())
        return;
    QString title = m_chart->Chart()->title(); // an unknown grouping keeps it, with no points
    const std::vector<TChartPoint> points = ChartPoints(&title);
    m_chart->Show(title, points);
}

void TBelvoraMonitor::SetChartStyle(int style)
{
    if (!m_chart)
        return;
    m_chart->SetStyle(style);
    UpdateChart();
}
