#pragma once

#include <QIcon>
#include <QList>
#include <QLocale>
#include <QTreeWidgetItem>

#include <array>

#include "uGlobal.h"

struct TCaller;
struct TTotals;

// Rows of the callers, history and totals lists. A row points at its record and the
// record at its row; neither owns the other.
class TCallerItem final : public QTreeWidgetItem
{
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;
    explicit TCallerItem(TCaller *caller);
    TCaller *Caller;
};

// Everything a totals row's texts are made of: a refresh that changes none of it leaves
// the row alone. The simple form keeps its day sums in the first entries.
struct TTotalsRowKey
{
    bool Detail = false;
    int Columns = 0;
    QString Name;
    QLocale Locale;
    std::array<int, AccessTypeCount> Calls{};
    std::array<int, AccessTypeCount> Seconds{};
    double Euros = 0.0;
    friend bool operator==(const TTotalsRowKey &, const TTotalsRowKey &) = default;
};

class TTotalsItem final : public QTreeWidgetItem
{
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 2;
    explicit TTotalsItem(TTotals *totals);
    TTotals *Totals;
    TTotalsRowKey Shown;
};

// Roles that keep a row's picture indexes, so they can be read back like a list view's.
constexpr int ImageIndexRole = Qt::UserRole + 1;
constexpr int StateIndexRole = Qt::UserRole + 2;

// The pictures a window hands to the engine: access types by index, and country flags
// with the test-call flag at 0 and country k at k + 1.
struct TImageLists
{
    QList<QIcon> AccessTypes;
    QList<QIcon> Flags;
};

// The picture index of an access type, or -1 when the list has none for it.
int AccessImageIndex(int access, const TImageLists &images);
// The flag index of a country (99 is the test flag), or -1.
int FlagIndex(int country, const TImageLists &images);
// Sets both pictures of a caller row: the flag beside the access-type picture.
void SetCallerPictures(QTreeWidgetItem &item, int access, int country, const TImageLists &images);

// A call length as "hh:mm:ss"; from 24 hours on the hours start at 00 again.
QString FormatDuration(int seconds);

// Fields 3 to 9 of a caller or history line, which both kinds share: name, country,
// site, promoter, access type, calling number and start. The scanner stands after field 2.
void ReadCallerIdentity(TCaller &caller);

// What stands between programme and name in a caller row's caption.
inline constexpr QLatin1String CaptionSeparator(": ");

// Fills the five columns of a caller row: caption (programme name, separator, caller
// name), time, number, start and info. Columns that already show their text keep it.
void FillCallerRow(QTreeWidgetItem &item, const TCaller &caller, const QString &progName, const TImageLists &images);
