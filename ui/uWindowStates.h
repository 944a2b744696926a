#pragma once

#include <QByteArrayList>
#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

class QWidget;

// Window-manager states of a top-level window on X11 that Qt's window flags do not keep:
// no taskbar button (_NET_WM_STATE_SKIP_TASKBAR), and staying on top (_NET_WM_STATE_ABOVE),
// which a window manager may drop while the window is hidden although Qt's flag stays.
// They are set each time the window is shown: in the window's property before it is
// mapped, and asked of the window manager once it is on the screen. Elsewhere (Wayland,
// offscreen) nothing happens. The window owns it.
class TWindowStates final : public QObject
{
    Q_OBJECT
public:
    // `wanted` gives the names of the states the window should have when it is shown.
    TWindowStates(QWidget *window, std::function<QByteArrayList()> wanted);

    // Every other window the program shows while `owner` stays on top (dialogs, message
    // boxes, file dialogs) stays on top as well: a window manager may otherwise stack it
    // under `owner`, out of sight while it waits for an answer. A dialog of `owner`'s own
    // has no taskbar button while `owner` has none.
    static void KeepOthersAbove(QWidget *owner);
    // The states the window wants now.
    QByteArrayList Wanted() const { return m_wanted(); }
    // For a window that is being shown already: its states now.
    void Shown();

    static const char *const SkipTaskbar;
    static const char *const Above;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Apply(bool mapped);

    QWidget *m_window;
    std::function<QByteArrayList()> m_wanted;
    bool m_watchingHandle = false;
    bool m_pending = false;
};

// Calls `minimised` when the widget's window is minimised. Wayland never reports that
// state to the widget, so the request (the title bar's button) is caught on the window
// itself. Call it at every show: a window may get a new handle; `watched` keeps the one
// watched already.
void WatchMinimise(QWidget *widget, QPointer<QWindow> &watched, std::function<void()> minimised);
