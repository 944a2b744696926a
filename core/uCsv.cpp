#include "uCsv.h"

#include <QSaveFile>

namespace Csv {

namespace {

const QString LineEnd = QStringLiteral("\r\n");

bool NeedsQuotes(const QString &text)
{
    if (text.isEmpty())
        return false;
    return text.contains(Separator) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\r'))
        || text.contains(QLatin1Char('\n')) || text.front().isSpace() || text.back().isSpace();
}

} // namespace

QString Field(const QString &text)
{
    if (!NeedsQuotes(text))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString Line(const QStringList &fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += Separator;
        line += Field(fields[i]);
    }
    return line + LineEnd;
}

QByteArray Document(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows)
        text += Line(row);
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

bool Write(const QString &fileName, const QList<QStringList> &rows, QString *error)
{
    QSaveFile file(fileName);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(Document(rows)) >= 0 && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace Csv
