#include "uScrollPage.h"

#include <QScrollBar>

TScrollPage::TScrollPage(QWidget *page, QWidget *parent)
    : QScrollArea(parent)
{
    setWidget(page);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The page shows on whatever it stands on, a tab's pane, not on the window's grey.
    viewport()->setAutoFillBackground(false);
    page->setAutoFillBackground(false);
}

QSize TScrollPage::sizeHint() const
{
    return widget()->sizeHint();
}

QSize TScrollPage::minimumSizeHint() const
{
    // The page's width and room for the scroll bar beside it; any height.
    return QSize(widget()->minimumSizeHint().width() + verticalScrollBar()->sizeHint().width(),
                 QScrollArea::minimumSizeHint().height());
}
