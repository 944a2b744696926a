#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QTreeView;

// Keeps a report list readable in the font it is shown in: each column at least its
// minimum width and as wide as its caption and a typical value need, and the first
// column takes the width the others leave. A list with more columns than described
// (the totals list in detail form) is left to whoever built those columns.
// The list owns it.
class TColumnFit final : public QObject
{
    Q_OBJECT
public:
    struct TColumn
    {
        int MinWidth = 0;
        QString Typical;
    };

    TColumnFit(QTreeView *list, QList<TColumn> columns);

    // Measures every column again, as for a new font or new columns.
    void Refit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool Described() const;
    void FillFirstColumn();

    QTreeView *m_list;
    // Kept: the list asks no more of its viewport once its own destruction has begun.
    QWidget *m_viewport;
    QList<TColumn> m_columns;
    bool m_filling = false;
};
