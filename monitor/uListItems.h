#pragma once

#include <QString>
#include <QStringView>

#include "uGlobal.h"
#include "uListModel.h"

// How many pictures the views of the caller lists have: access types by index, and
// country flags with the test-call flag at 0 and country k at k + 1. The views draw them;
// the rows only say which.
struct TPictureCounts
{
    int AccessTypes = 0;
    int Flags = 0;
};

// The picture index of an access type, or -1 when the view has none for it.
int AccessImageIndex(int access, const TPictureCounts &pictures);
// The flag index of a country (99 is the test flag), or -1.
int FlagIndex(int country, const TPictureCounts &pictures);

// A call length as "hh:mm:ss"; from 24 hours on the hours start at 00 again.
QString FormatDuration(int seconds);

// Fields 3 to 9 of a caller or history line, which both kinds share: name, country,
// site, promoter, access type, calling number and start. The scanner stands after field 2.
void ReadCallerIdentity(TCaller &caller);

// What stands between programme and name in a caller row's caption.
inline constexpr QLatin1String CaptionSeparator(": ");

// The columns of the callers and history lists.
enum TCallerColumn { CaptionColumn = 0, TimeColumn = 1, NumberColumn = 2, StartColumn = 3, InfoColumn = 4 };
constexpr int CallerColumnCount = 5;

// Fills the five cells of a caller row: caption (programme name, separator, caller
// name), time, number, start and info, and its two pictures.
void FillCallerRow(TListModel &rows, int row, const TCaller &caller, const QString &progName,
                   const TPictureCounts &pictures);
