#pragma once

#include <QString>

#include <functional>

#include "uListModel.h"

class QAbstractItemModel;

// The order rules of the main window's lists, kept apart from the window so they can be
// tried on rows alone. Each comparison is negative, zero or positive like a difference.

// Case-insensitive for the letters A to Z only; every other character by its
// Windows-1252 code.
int CompareListText(const QString &first, const QString &second);

// Callers and history rows in ascending or descending order of `column`: "Start"
// (column 3) by the callers' start values, every other column by its text as
// CompareListText orders it. Each row's key is made once, so a month's history of tens
// of thousands of rows sorts at once. Equal rows keep their order; see SortRows for what
// else stays. Returns whether the order changed.
bool SortCallerRows(TCallerRows &rows, int column, bool descending);

// Totals rows: the caption by text; every other cell as a number in the user's locale
// (0 when it is none), the difference cut to an integer, so cells less than 1 apart tie.
int CompareTotalsRows(const TListModel &rows, int first, int second, int column);

using TRowCompare = std::function<int(int first, int second)>;

// Puts the rows in the order of `compare`, equal rows keeping their order. Records keep
// their rows, and the selection, the current row and the scroll position stay. Returns
// whether the order changed. Compares each row with those before it: for the short
// totals list, whose ties are not transitive.
bool SortRows(TListModel &rows, const TRowCompare &compare);

// A list as text: the captions joined by tabs, then each row in order, its caption and a
// tab before each further cell; every line ends in CR LF.
QString ListAsText(const QAbstractItemModel &rows);
