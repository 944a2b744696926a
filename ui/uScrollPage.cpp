#include "uScrollPage.h"

#include <QScrollBar>

TScrollPage::TScrollPage(QWidget *page, QWidget *parent)
    : QScrollArea(parent)
{
    setWidget(page);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
