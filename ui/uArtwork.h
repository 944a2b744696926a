#pragma once

#include <QIcon>
#include <QImage>
#include <QList>

// The program's pictures, drawn at start-up so nothing binary is shipped: access-type
// pictures (index = access type), country flags (0 = test call, k + 1 = country k),
// countdown frames, the counter-strip icons and the tool-bar icons.
namespace Artwork {

QList<QIcon> AccessTypeIcons();
QList<QIcon> FlagIcons();
QList<QImage> CountdownFrames();
// The small counter window's countdown: as many frames as CountdownFrames(), 18 x 18 on
// white, so one cycle still takes one poll interval.
QList<QImage> SmallCountdownFrames();
// The small counter window's background strip, 30 high: 410 wide without the euro
// counter, 500 with it, wider where a counter needs more cells.
QImage SmallBackground(int width);
// 0 online, 1 calls, 2 minutes, 3 euros.
QList<QIcon> CounterIcons();
// The window and tray icon, from the one SVG that is also installed (desktop/).
QIcon ApplicationIcon();
// The tray icon while sounds and balloons keep quiet: the application icon, crossed out.
QIcon QuietIcon();

enum class TToolIcon { Stopped, Running, Setup, Sound, Callers, Totals, History, Graph, Info };
QIcon ToolIcon(TToolIcon which);

// The header pictures of a sorted list: ascending (picture 17) and descending (16).
enum class TSortArrow { Descending = 16, Ascending = 17 };
QIcon SortArrow(TSortArrow which);

} // namespace Artwork
