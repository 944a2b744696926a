#include "uCsv.h"

#include <QLocale>
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

bool IsNumber(const QString &text)
{
    // Spreadsheets read numbers in the desktop's way and in the C form.
    bool number = false;
    QLocale().toDouble(text, &number);
    if (!number)
        QLocale::c().toDouble(text, &number);
    return number;
}

// Spreadsheets run a field that starts like a formula, and names come from the server: such
// a field gets an apostrophe before it and stays text.
bool LooksLikeFormula(const QString &text)
{
    return !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front()) && !IsNumber(text);
}

// A text of digits that a spreadsheet would take for a number: written as a formula that
// gives back the text. It holds nothing but what a number holds, so the formula is safe.
QString AsText(const QString &text)
{
    return QStringLiteral("=\"") + text + QLatin1Char('"');
}

} // namespace

QString Field(const QString &text, TKind kind)
{
    QString field = text;
    if (kind == TKind::Text && LooksLikeFormula(text))
        field = QLatin1Char('\'') + text;
    else if (kind == TKind::Text && IsNumber(text))
        field = AsText(text);
    if (!NeedsQuotes(field))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString Line(const QStringList &fields, const TQuantityColumns &quantities)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += Separator;
        line += Field(fields[i], quantities.contains(int(i)) ? TKind::Quantity : TKind::Text);
    }
    return line + LineEnd;
}

QByteArray Document(const QList<QStringList> &rows, const TQuantityColumns &quantities)
{
    QString text;
    for (const QStringList &row : rows)
        text += Line(row, quantities);
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

bool Write(const QString &fileName, const QList<QStringList> &rows, const TQuantityColumns &quantities,
           QString *error)
{
    QSaveFile file(fileName);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(Document(rows, quantities)) >= 0 && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace Csv
