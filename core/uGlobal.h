#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "uShortText.h"

// Countries and access types index every figure of the program.
constexpr int CountryCount = 18;    // 0..17
constexpr int AccessTypeCount = 17; // 0..16
constexpr int TestCallCode = 99;    // country or access type of a test call
constexpr int DetailColumnCount = 30;

constexpr int AccessPpmData = 0;
constexpr int AccessPpmVoice = 1;
constexpr int AccessPpc = 2;
constexpr int AccessSms = 5;

const QStringList &Countries();
const QStringList &AccessTypes();
const QStringList &DetailColumns();
// Name of a code, empty for codes outside the table (the test code included).
QString CountryName(int country);
QString AccessTypeName(int access);
// PPC and SMS earn per call; every other access type per minute.
bool IsPaidPerCall(int access);

// The key of the list row that shows a record: the row is found by it and neither owns
// the other. NoListRow: the record has no row.
using TListRowKey = quint32;
inline constexpr TListRowKey NoListRow = 0;

// One call, online now or finished today.
struct TCaller
{
    TShortText<20> Id;
    TShortText<2> ProgCode;
    TShortText<25> Name;
    int Country = 0;
    int SiteId = 0;
    int PromoterId = 0;
    int Access = 0;
    TShortText<20> CallerId;
    TShortText<25> Start;
    TShortText<25> Stop;
    int Seconds = 0;
    int StartValue = 0;
    TShortText<32> Info;
    TShortText<16> IP;
    QString PromoterName;
    QString SiteName;
    int Seen = 0;
    TListRowKey ListItem = NoListRow;
};
using TCallerList = std::vector<std::unique_ptr<TCaller>>;

// A figure per country and access type.
template <typename T>
using TCellTable = std::array<std::array<T, AccessTypeCount>, CountryCount>;

// Day totals of one partner programme; cells are overwritten by each totals line.
struct TTotals
{
    int ProgIndex = 0;
    TShortText<2> ProgCode;
    TCellTable<int> Calls{};
    TCellTable<int> Seconds{};
    TCellTable<double> Euros{};
    int Updated = 0;
    TListRowKey ListItem = NoListRow;
};

// Amounts per country (-1..17) and access type (-1..16); -1 stands for all.
class TRateTable final
{
public:
    static constexpr int FirstCountry = -1;
    static constexpr int LastCountry = CountryCount - 1;
    static constexpr int FirstAccess = -1;
    static constexpr int LastAccess = AccessTypeCount - 1;

    static bool InRange(int country, int access)
    {
        return country >= FirstCountry && country <= LastCountry && access >= FirstAccess
            && access <= LastAccess;
    }
    // Out-of-range indexes read as 0 and are never written.
    double At(int country, int access) const;
    void Set(int country, int access, double amount);
    void Clear() { m_amounts = {}; }

private:
    std::array<std::array<double, AccessTypeCount + 1>, CountryCount + 1> m_amounts{};
};

struct TPProgItem
{
    TShortText<2> ProgCode;
    QString ProgName;
    int LastIdPpm = 0;
    int LastIdOther = 0;
    TRateTable Rates;
};

struct TPayoutRule
{
    TShortText<2> ProgCode; // empty: the default rule
    TRateTable Amounts;
    // Amounts the settings file held that read as no number, by [country, access]: they
    // are written back as they stand instead of as 0.
    std::map<std::pair<int, int>, QString> UnreadAmounts;
};

struct TAccount
{
    QString Key;
    QString Name;
    bool Active = false;
};

struct TTrigger
{
    TTrigger() = default;
    TTrigger(const QString &whenText, const QString &value, const QString &actionParam, int whenKind,
             int what, int compare, int action, bool active, int repeatType);

    QString WhenText;
    QString Value;
    QString ActionParam;
    int WhenKind = -1;
    int What = -1;
    int Compare = -1;
    int Action = -1;
    bool Active = true;
    int RepeatType = 0;
    int State = 0;
    int PrevState = 0;
    // A stored line that could not be read, kept to be written back as it stands until the
    // user edits the trigger; such a trigger is inactive.
    QString UnreadLine;
};

// The monitor's figures per access type, in this order; they feed the counters, the
// day history and the triggers.
struct TFigureBlock
{
    std::array<int, AccessTypeCount> OnlineByAccess{};
    std::array<int, AccessTypeCount> CallsByAccess{};
    std::array<int, AccessTypeCount> SecondsByAccess{};
    std::array<double, AccessTypeCount> EurosByAccess{};
};

// The four lists that live for the whole run.
using TPProgCollection = std::vector<std::unique_ptr<TPProgItem>>;
using TAccountList = std::vector<std::unique_ptr<TAccount>>;
using TTriggerList = std::vector<std::unique_ptr<TTrigger>>;
using TPayoutRuleList = std::vector<std::unique_ptr<TPayoutRule>>;

extern TPProgCollection TPProgs;
extern TAccountList TAccounts;
extern TTriggerList TTriggers;
extern TPayoutRuleList PayoutRules;

// Sums of figures from the network saturate instead of overflowing.
int SaturatingAdd(int a, int b);

// Totals as list texts; with `all` every access type counts, else only `access`.
// Sums always run over every country.
int TotalCalls(const TTotals &t);
int TotalSeconds(const TTotals &t);
double TotalEuros(const TTotals &t);
// Sums over every country of one access type.
int AccessCalls(const TTotals &t, int access);
int AccessSeconds(const TTotals &t, int access);
QString CallsText(const TTotals &t, int access, bool all);
QString MinutesText(const TTotals &t, int access, bool all);
QString AverageText(const TTotals &t, int access, bool all);
QString EurosText(const TTotals &t, int access, bool all);
// "%.2f" with the user's decimal separator and no grouping.
QString FormatFixed2(double value);
// How a threshold is stored: the user's decimal separator, no grouping, no exponent.
QString ThresholdText(double value);

TPProgItem *FindProg(const QString &code);
int IndexOfProg(const QString &code);
QString ProgName(const QString &code);

// "yyyymmdd?hhnnss" as "dd-mm-yyyy hh:nn:ss"; the digits are not checked.
QString FormatStamp(QStringView stamp);
// The same text in place, for comparing with a stored one before copying it.
class TStampText final
{
public:
    explicit TStampText(QStringView stamp);
    QStringView View() const { return QStringView(m_text.data(), m_size); }

private:
    static constexpr int MaxSize = 19;
    std::array<QChar, MaxSize> m_text{};
    qsizetype m_size = 0;
};
// The date of the first eight characters; a null date when they form none.
QDate StampDate(const QString &stamp);
