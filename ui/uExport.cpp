#include "uExport.h"

#include <QDir>
#include <QStandardPaths>
#include <QTreeView>

#include "uClock.h"
#include "uCsv.h"
#include "uDayStore.h"
#include "uGlobal.h"
#include "uPlatform.h"
#include "uUnits.h"

namespace Export {

namespace {

const QString Title = QStringLiteral("Exporteren");

} // namespace

TTable ListRows(const QTreeView &list)
{
    const QAbstractItemModel *rows = list.model();
    if (!rows)
        return {};
    QList<int> shown;
    TTable table;
    for (int c = 0; c < rows->columnCount(); ++c) {
        if (list.isColumnHidden(c))
            continue;
        const QVariant alignment = rows->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole);
        if (Qt::Alignment(alignment.toInt()) & Qt::AlignRight)
            table.Quantities.append(int(shown.size()));
        shown.append(c);
    }
    QStringList header;
    for (const int c : shown)
        header << rows->headerData(c, Qt::Horizontal).toString();
    table.Rows << header;
    for (int r = 0; r < rows->rowCount(); ++r) {
        if (list.isRowHidden(r, QModelIndex()))
            continue;
        QStringList row;
        for (const int c : shown)
            row << rows->index(r, c).data().toString();
        table.Rows << row;
    }
    return table;
}

TTable DayRows(const TDayStore &history)
{
    // Everything but the time of day is a figure.
    TTable table{{}, {1, 2, 3, 4}};
    QList<QStringList> &rows = table.Rows;
    rows << QStringList{QStringLiteral("Tijd"), QStringLiteral("Online"), QStringLiteral("Bellers"),
                        QStringLiteral("Minuten"), QStringLiteral("Euro's")};
    for (int i = 0; i < history.Count(); ++i) {
        const THistorySample &s = history.Sample(i);
        rows << QStringList{Clock::FromLocalSeconds(s.Time).toString(QStringLiteral("HH:mm:ss")),
                            QString::number(s.Online), QString::number(s.Callers),
                            FormatFixed2(MinutesFromSeconds(s.Seconds)), FormatFixed2(double(s.Cents) / CentsPerEuro)};
    }
    return table;
}

bool SaveCsv(const QString &name, const QDate &date, const TTable &table)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString proposed = QDir(folder.isEmpty() ? QDir::homePath() : folder)
                                 .filePath(name + QLatin1Char('-') + date.toString(QStringLiteral("dd-MM-yyyy"))
                                           + QStringLiteral(".csv"));
    const QString chosen = Platform::Get().AskSaveFileName(
        Title, proposed, QStringLiteral("CSV-bestanden (*.csv);;Alle bestanden (*)"));
    if (chosen.isEmpty())
        return false;
    QString error;
    if (Csv::Write(chosen, table.Rows, table.Quantities, &error))
        return true;
    Platform::Get().ShowMessage(TPlatform::TMessageKind::Warning, Title,
                                QStringLiteral("%1 kan niet worden geschreven: %2").arg(chosen, error));
    return false;
}

} // namespace Export
