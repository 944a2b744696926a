#include "uScreenFit.h"

#include <QEvent>
#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// Gives each window at its first showing a fit of its own.
class TFitEveryWindow final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        const Qt::WindowType type = window->windowType();
        // Windows and dialogs the window manager places; not menus, tips or the tray
        // icon's window, which lives inside the panel.
        if (!window->isWindow() || (type != Qt::Window && type != Qt::Dialog)
            || window->windowFlags().testFlag(Qt::BypassWindowManagerHint)
            || window->findChild<TScreenFit *>(QString(), Qt::FindDirectChildrenOnly))
            return false;
        (new TScreenFit(window))->Shown();
        return false;
    }
};

} // namespace

void TScreenFit::FitEveryWindow(QObject *owner)
{
    qApp->installEventFilter(new TFitEveryWindow(owner));
}

TScreenFit::TScreenFit(QWidget *window)
    : QObject(window), m_window(window)
{
    window->installEventFilter(this);
}

QPoint TScreenFit::Inside(const QRect &frame, const QRect &area)
{
    const auto within = [](int start, int length, int areaStart, int areaLength) {
        return qMax(areaStart, qMin(start, areaStart + areaLength - length));
    };
    return QPoint(within(frame.x(), frame.width(), area.x(), area.width()),
                  within(frame.y(), frame.height(), area.y(), area.height()));
}

QRect TScreenFit::AvailableArea(const QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void TScreenFit::Fit(QWidget *window)
{
    const QRect area = AvailableArea(window);
    if (area.isEmpty() || window->isMaximized() || window->isFullScreen())
        return;
    // The frame as the window manager drew it; none yet before the window is framed.
    const QSize frame = window->frameGeometry().size() - window->size();
    const QSize room = area.size() - frame;
    const QSize wanted = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (wanted != window->size())
        window->resize(wanted);
    const QPoint place = Inside(window->frameGeometry(), area);
    if (place != window->frameGeometry().topLeft())
        window->move(place);
}

void TScreenFit::Shown()
{
    Fit(m_window);
    if (QWindow *handle = m_window->windowHandle()) {
        handle->removeEventFilter(this);
        handle->installEventFilter(this);
        m_pending = true;
    }
}

bool TScreenFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show) {
        Shown();
    } else if (m_pending && watched == m_window->windowHandle() && event->type() == QEvent::Expose
               && m_window->windowHandle()->isExposed()) {
        m_pending = false;
        Fit(m_window);
    }
    return QObject::eventFilter(watched, event);
}
