#pragma once

#include <QScrollArea>

// A page of a dialog or panel that scrolls only where its window cannot be as tall as the
// page's fields (a small screen, a large scale). It asks for the room its page wants, as
// wide as the page needs and as tall as it likes: a plain scroll area asks for at most 24
// lines and would scroll even on a large screen. The page's owner owns it.
class TScrollPage final : public QScrollArea
{
public:
    explicit TScrollPage(QWidget *page, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};
