#include "uVersionCheck.h"

#include <algorithm>
#include <limits>

#include <QStringList>

namespace {

constexpr int FieldCount = 4;
constexpr int Weights[FieldCount] = {10000, 1000, 100, 1};

// Digits with an optional sign and nothing else: QString::toInt would forgive blanks
// and line ends around the number.
int FieldValue(const QString &field)
{
    qsizetype i = field.startsWith(QLatin1Char('-')) || field.startsWith(QLatin1Char('+')) ? 1 : 0;
    if (i >= field.size())
        return 0;
    for (qsizetype k = i; k < field.size(); ++k) {
        if (field[k] < QLatin1Char('0') || field[k] > QLatin1Char('9'))
            return 0;
    }
    bool ok = false;
    const int value = field.toInt(&ok);
    return ok ? value : 0;
}

} // namespace

int VersionWeight(const QString &version)
{
    QString text = version;
    // The file ends in a line end; a field with a line end inside still counts 0.
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    const QStringList fields = text.split(QLatin1Char('.'));
    qint64 weight = 0;
    for (int i = 0; i < FieldCount && i < fields.size(); ++i)
        weight += qint64(FieldValue(fields[i])) * Weights[i];
    // Huge fields must not wrap around into a small weight.
    return int(std::clamp<qint64>(weight, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool NewerVersionOffered(const QString &own, const QString &offered)
{
    return VersionWeight(own) < VersionWeight(offered);
}
