#include "uListColumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QTreeView>

namespace {

// Room around a cell's text: the focus frame and a little air on both sides.
int CellPadding(const QTreeView &list)
{
    constexpr int Air = 4;
    return 2 * (list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1 + Air);
}

} // namespace

TColumnFit::TColumnFit(QTreeView *list, QList<TColumn> columns)
    : QObject(list), m_list(list), m_viewport(list->viewport()), m_columns(std::move(columns))
{
    QHeaderView *header = list->header();
    header->setStretchLastSection(false);
    m_viewport->installEventFilter(this);
    list->installEventFilter(this);
    // New columns get their captions after the count changes: measure once both are in.
    connect(header, &QHeaderView::sectionCountChanged, this,
            [this] { QMetaObject::invokeMethod(this, &TColumnFit::Refit, Qt::QueuedConnection); });
    connect(header, &QHeaderView::sectionResized, this, [this](int logical) {
        if (logical != 0)
            FillFirstColumn();
    });
    Refit();
}

bool TColumnFit::Described() const
{
    return m_list->header()->count() <= m_columns.size();
}

void TColumnFit::Refit()
{
    if (!Described())
        return;
    const QHeaderView *header = m_list->header();
    const QFontMetrics cells = m_list->fontMetrics();
    const int padding = CellPadding(*m_list);
    m_filling = true;
    for (int c = 1; c < m_list->header()->count(); ++c) {
        const TColumn &column = m_columns[c];
        const int typical = column.Typical.isEmpty() ? 0 : cells.horizontalAdvance(column.Typical) + padding;
        m_list->setColumnWidth(c, qMax(column.MinWidth, qMax(header->sectionSizeHint(c), typical)));
    }
    m_filling = false;
    FillFirstColumn();
}

void TColumnFit::FillFirstColumn()
{
    if (m_filling || !Described())
        return;
    const QHeaderView *header = m_list->header();
    int others = 0;
    for (int c = 1; c < m_list->header()->count(); ++c) {
        if (!header->isSectionHidden(c))
            others += header->sectionSize(c);
    }
    const int first = qMax(qMax(m_columns[0].MinWidth, header->sectionSizeHint(0)), m_list->viewport()->width() - others);
    m_filling = true;
    m_list->setColumnWidth(0, first);
    m_filling = false;
}

bool TColumnFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport && event->type() == QEvent::Resize)
        FillFirstColumn();
    else if (watched == m_list && event->type() == QEvent::FontChange)
        Refit();
    return QObject::eventFilter(watched, event);
}
