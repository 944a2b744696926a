#pragma once

#include <QString>

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

// The order rules of the main window's lists, kept apart from the window so they can be
// tried on rows alone. Each comparison is negative, zero or positive like a difference.

// Case-insensitive for the letters A to Z only; every other character by its
// Windows-1252 code.
int CompareListText(const QString &first, const QString &second);

// Callers and history rows: "Start" (column 3) by the callers' start values, every other
// column by its text.
int CompareCallerRows(const QTreeWidgetItem &first, const QTreeWidgetItem &second, int column);

// Totals rows: the caption by text; every other cell as a number in the user's locale
// (0 when it is none), the difference cut to an integer, so cells less than 1 apart tie.
int CompareTotalsRows(const QTreeWidgetItem &first, const QTreeWidgetItem &second, int column);

using TRowCompare = std::function<int(const QTreeWidgetItem &, const QTreeWidgetItem &)>;

// Puts the top-level rows in the order of `compare`, equal rows keeping their order.
// Rows stay the same objects (records keep pointing at them), and so do the selection,
// the current row and the scroll position. Returns whether the order changed.
bool SortRows(QTreeWidget &view, const TRowCompare &compare);

// The totals list as text: the captions joined by tabs, then each row in display order,
// its caption and a tab before each further cell; every line ends in CR LF.
QString ListAsText(const QTreeWidget &view);
