#include "uGlobal.h"

#include <QLocale>

#include <limits>
#include <type_traits>

#include "uUnits.h"

TPProgCollection TPProgs;
TAccountList TAccounts;
TTriggerList TTriggers;
TPayoutRuleList PayoutRules;

const QStringList &Countries()
{
    static const QStringList names = {
        QStringLiteral("Nederland"), QStringLiteral("België"), QStringLiteral("Engeland"),
        QStringLiteral("Duitsland"), QStringLiteral("Oostenrijk"), QStringLiteral("Zwitserland"),
        QStringLiteral("Spanje"), QStringLiteral("Italië"), QStringLiteral("Frankrijk"),
        QStringLiteral("U.S.A."), QStringLiteral("Luxemburg"), QStringLiteral("Denemarken"),
        QStringLiteral("Zweden"), QStringLiteral("Australië"), QStringLiteral("Nieuw Zeeland"),
        QStringLiteral("Canada"), QStringLiteral("Griekenland"), QStringLiteral("Ierland"),
    };
    return names;
}

const QStringList &AccessTypes()
{
    static const QStringList names = {
        QStringLiteral("PPM Data"), QStringLiteral("PPM Voice"), QStringLiteral("PPC"),
        QStringLiteral("PPM Countdown"), QStringLiteral("PPCPM"), QStringLiteral("SMS"),
        QStringLiteral("Incasso"), QStringLiteral("Wallie"), QStringLiteral("Voicebox IN"),
        QStringLiteral("Voicebox OUT"), QStringLiteral("Creditcard"), QStringLiteral("MMS"),
        QStringLiteral("Creditcard"), QStringLiteral("VAS"), QStringLiteral("iDeal"),
        QStringLiteral("Babbelbox"), QStringLiteral("iDeal"),
    };
    return names;
}

const QStringList &DetailColumns()
{
    static const QStringList columns = [] {
        QStringList c(DetailColumnCount);
        c[0] = QStringLiteral("bellers");
        c[1] = QStringLiteral("minuten");
        c[2] = QStringLiteral("bellers");
        c[3] = QStringLiteral("minuten");
        c[4] = QStringLiteral("gesprekken");
        c[8] = QStringLiteral("bellers");
        c[9] = QStringLiteral("minuten");
        c[10] = QStringLiteral("SMS");
        c[14] = QStringLiteral("Wallie");
        c[20] = QStringLiteral("Creditcard");
        c[24] = QStringLiteral("Creditcard");
        c[26] = QStringLiteral("VAS");
        c[28] = QStringLiteral("iDeal");
        return c;
    }();
    return columns;
}

QString CountryName(int country)
{
    return country >= 0 && country < CountryCount ? Countries()[country] : QString();
}

QString AccessTypeName(int access)
{
    return access >= 0 && access < AccessTypeCount ? AccessTypes()[access] : QString();
}

bool IsPaidPerCall(int access)
{
    return access == AccessPpc || access == AccessSms;
}

double TRateTable::At(int country, int access) const
{
    if (!InRange(country, access))
        return 0.0;
    return m_amounts[country - FirstCountry][access - FirstAccess];
}

void TRateTable::Set(int country, int access, double amount)
{
    if (InRange(country, access))
        m_amounts[country - FirstCountry][access - FirstAccess] = amount;
}

TTrigger::TTrigger(const QString &whenText, const QString &value, const QString &actionParam,
                   int whenKind, int what, int compare, int action, bool active, int repeatType)
    : WhenText(whenText)
    , Value(value)
    , ActionParam(actionParam)
    , WhenKind(whenKind)
    , What(what)
    , Compare(compare)
    , Action(action)
    , Active(active)
    , RepeatType(repeatType)
{
}

int SaturatingAdd(int a, int b)
{
    const qint64 sum = qint64(a) + b;
    return int(qBound(qint64(std::numeric_limits<int>::min()), sum, qint64(std::numeric_limits<int>::max())));
}

namespace {

template <typename T>
T SumCells(const TCellTable<T> &cells, int access, bool all)
{
    T sum{};
    const auto add = [&sum](T value) {
        if constexpr (std::is_same_v<T, int>)
            sum = SaturatingAdd(sum, value);
        else
            sum += value;
    };
    for (const auto &row : cells) {
        if (all) {
            for (const T value : row)
                add(value);
        } else if (access >= 0 && access < AccessTypeCount) {
            add(row[access]);
        }
    }
    return sum;
}

} // namespace

int TotalCalls(const TTotals &t)
{
    return SumCells(t.Calls, 0, true);
}

int TotalSeconds(const TTotals &t)
{
    return SumCells(t.Seconds, 0, true);
}

double TotalEuros(const TTotals &t)
{
    return SumCells(t.Euros, 0, true);
}

int AccessCalls(const TTotals &t, int access)
{
    return SumCells(t.Calls, access, false);
}

int AccessSeconds(const TTotals &t, int access)
{
    return SumCells(t.Seconds, access, false);
}

QString FormatFixed2(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 2);
}

QString ThresholdText(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

QString CallsText(const TTotals &t, int access, bool all)
{
    return QString::number(SumCells(t.Calls, access, all));
}

QString MinutesText(const TTotals &t, int access, bool all)
{
    return FormatFixed2(MinutesFromSeconds(SumCells(t.Seconds, access, all)));
}

QString AverageText(const TTotals &t, int access, bool all)
{
    const int calls = SumCells(t.Calls, access, all);
    if (calls == 0)
        return {};
    return FormatFixed2(MinutesFromSeconds(SumCells(t.Seconds, access, all)) / calls);
}

QString EurosText(const TTotals &t, int access, bool all)
{
    return FormatFixed2(SumCells(t.Euros, access, all));
}

TPProgItem *FindProg(const QString &code)
{
    for (const auto &prog : TPProgs) {
        if (prog->ProgCode == code)
            return prog.get();
    }
    return nullptr;
}

int IndexOfProg(const QString &code)
{
    for (std::size_t i = 0; i < TPProgs.size(); ++i) {
        if (TPProgs[i]->ProgCode == code)
            return int(i);
    }
    return -1;
}

QString ProgName(const QString &code)
{
    const TPProgItem *prog = FindProg(code);
    return prog ? prog->ProgName : code;
}

TStampText::TStampText(QStringView stamp)
{
    // 1-based character positions: dd = 7-8, mm = 5-6, yyyy = 1-4, hh = 10-11, nn = 12-13, ss = 14-15
    struct TPiece
    {
        qsizetype From;
        qsizetype Length;
        char16_t After;
    };
    static constexpr TPiece Pieces[] = {{6, 2, u'-'}, {4, 2, u'-'}, {0, 4, u' '},
                                        {9, 2, u':'}, {11, 2, u':'}, {13, 2, 0}};
    for (const TPiece &piece : Pieces) {
        for (const QChar c : stamp.mid(piece.From, piece.Length))
            m_text[m_size++] = c;
        if (piece.After)
            m_text[m_size++] = QChar(piece.After);
    }
}

QString FormatStamp(QStringView stamp)
{
    return TStampText(stamp).View().toString();
}

QDate StampDate(const QString &stamp)
{
    const QString digits = stamp.left(8);
    if (digits.size() != 8)
        return {};
    for (const QChar c : digits) {
        if (!c.isDigit() || c.unicode() > '9')
            return {};
    }
    const QDate date(digits.left(4).toInt(), digits.mid(4, 2).toInt(), digits.mid(6, 2).toInt());
    return date.isValid() ? date : QDate();
}
