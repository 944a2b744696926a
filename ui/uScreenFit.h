#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

class QWidget;

// Keeps a top-level window within the available area of its screen (the desktop less
// panels and docks) each time it is shown: no larger than the area, frame included,
// and moved inside it. Before the window manager has framed the window its frame is
// unknown, so the fit is made again once the window is on the screen. The window owns it.
class TScreenFit final : public QObject
{
    Q_OBJECT
public:
    explicit TScreenFit(QWidget *window);

    // Every top-level window the program shows while `owner` lives is kept within its
    // screen (dialogs, message boxes, file dialogs), unless it has a fit of its own.
    static void FitEveryWindow(QObject *owner);
    // For a window that is being shown already: fits it now and once it is framed.
    void Shown();

    // Where a frame of `frame`'s size stands wholly inside `area`, as near its own
    // place as can be; one larger than the area keeps to the area's top or left edge.
    static QPoint Inside(const QRect &frame, const QRect &area);
    // The available area of the screen `window` is on.
    static QRect AvailableArea(const QWidget *window);
    // Fits `window` now: smaller where it is larger than the area, then moved inside.
    static void Fit(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    bool m_pending = false;
};
