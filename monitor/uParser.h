#pragma once

#include <QStringList>

#include "uGlobal.h"
#include "uListItems.h"
#include "uListModel.h"

// Today's finished calls (command 108), fetched in steps: each request names, per
// programme, the highest ids we already have.

// Merges a history reply into `list`: known ids are updated in place, new ones appended.
void ParseCallerHistory(TCallerList &list, const QStringList &replyLines);

// Gives every call of a known programme its row in `rows` (when given) and raises that
// programme's high-water marks. Calls of unknown programmes stay without a row.
void UpdateHistoryRows(TCallerList &list, TCallerRows *rows, const TPictureCounts &pictures);
