#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringView>

class QTreeWidget;
class QTreeWidgetItem;

// The floor's callers list: one row per caller id, texts set in place when they differ,
// the rows of callers who left removed and those of new callers appended in one batch,
// then laid out once. The list and its rows belong to the window.
class TFloorCallers final
{
public:
    explicit TFloorCallers(QTreeWidget *list);

    // One caller line ("+CODE|id|name|...") of a reply; the rows change at End.
    void Take(QStringView line, const QHash<QString, QString> &progNames);
    // Removes the rows of callers no line named; returns how many rows are left.
    int End();

private:
    // Flag and access picture side by side, made once per pair.
    QIcon Pictures(int country, int access);

    QTreeWidget *List;
    QHash<QString, QTreeWidgetItem *> Rows;
    QHash<QString, QTreeWidgetItem *> Seen;
    QList<QTreeWidgetItem *> Arrived;
    QHash<int, QIcon> PictureCache;
};
