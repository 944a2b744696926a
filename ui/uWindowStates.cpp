#include "uWindowStates.h"

#include <QEvent>
#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr quint32 NetWmStateAdd = 1;
constexpr quint32 SourceApplication = 1;

xcb_atom_t Atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, quint16(qstrlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Before mapping, the window's own property: the window manager reads it at the map.
void AddToProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t state,
                   const QList<xcb_atom_t> &atoms)
{
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 1024);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    QList<xcb_atom_t> present;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        present = QList<xcb_atom_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
    }
    bool changed = false;
    for (const xcb_atom_t atom : atoms) {
        if (!present.contains(atom)) {
            present.append(atom);
            changed = true;
        }
    }
    if (changed)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                            quint32(present.size()), present.constData());
}

// On a mapped window only the window manager changes the state, asked by a message.
void AskWindowManager(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t state,
                      const QList<xcb_atom_t> &atoms)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return;
    for (const xcb_atom_t atom : atoms) {
        xcb_client_message_event_t message = {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = state;
        message.data.data32[0] = NetWmStateAdd;
        message.data.data32[1] = atom;
        message.data.data32[3] = SourceApplication;
        xcb_send_event(connection, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&message));
    }
}

// Gives each window shown while its owner stays on top its own states, once.
class TAboveOwner final : public QObject
{
public:
    explicit TAboveOwner(QWidget *owner)
        : QObject(owner), m_owner(owner)
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        const Qt::WindowType type = window->windowType();
        if (!window->isWindow() || window == m_owner || type == Qt::Popup || type == Qt::ToolTip
            || window->findChild<TWindowStates *>(QString(), Qt::FindDirectChildrenOnly))
            return false;
        const QPointer<QWidget> owner = m_owner;
        const QPointer<QWidget> shown = window;
        auto *states = new TWindowStates(window, [owner, shown] {
            QByteArrayList wanted;
            if (!owner || !shown)
                return wanted;
            if (owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                wanted.append(TWindowStates::Above);
            // A dialog of the owner (the options) goes with it: no taskbar button of its own
            // where the owner has none.
            const QWidget *parent = shown->parentWidget();
            const auto *ownerStates = owner->findChild<TWindowStates *>(QString(), Qt::FindDirectChildrenOnly);
            if (parent && parent->window() == owner && ownerStates
                && ownerStates->Wanted().contains(TWindowStates::SkipTaskbar))
                wanted.append(TWindowStates::SkipTaskbar);
            return wanted;
        });
        states->Shown();
        return false;
    }

private:
    QWidget *m_owner;
};

} // namespace

const char *const TWindowStates::SkipTaskbar = "_NET_WM_STATE_SKIP_TASKBAR";
const char *const TWindowStates::Above = "_NET_WM_STATE_ABOVE";

TWindowStates::TWindowStates(QWidget *window, std::function<QByteArrayList()> wanted)
    : QObject(window), m_window(window), m_wanted(std::move(wanted))
{
    window->installEventFilter(this);
}

void TWindowStates::KeepOthersAbove(QWidget *owner)
{
    qApp->installEventFilter(new TAboveOwner(owner));
}

void TWindowStates::Shown()
{
    if (!m_watchingHandle && m_window->windowHandle()) {
        m_window->windowHandle()->installEventFilter(this);
        m_watchingHandle = true;
    }
    Apply(false);
    m_pending = true;
}

bool TWindowStates::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show) {
        Shown();
    } else if (m_pending && watched == m_window->windowHandle() && event->type() == QEvent::Expose
               && m_window->windowHandle()->isExposed()) {
        m_pending = false;
        Apply(true);
    }
    return QObject::eventFilter(watched, event);
}

void TWindowStates::Apply(bool mapped)
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    const QByteArrayList names = m_wanted();
    // Not the widget's winId(): changing window flags makes a new native window, which
    // the widget may not report yet.
    const QWindow *handle = m_window->windowHandle();
    if (!connection || names.isEmpty() || !handle)
        return;
    const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    QList<xcb_atom_t> atoms;
    for (const QByteArray &name : names)
        atoms.append(Atom(connection, name.constData()));
    const auto window = xcb_window_t(handle->winId());
    if (mapped)
        AskWindowManager(connection, window, state, atoms);
    else
        AddToProperty(connection, window, state, atoms);
    xcb_flush(connection);
}

void WatchMinimise(QWidget *widget, QPointer<QWindow> &watched, std::function<void()> minimised)
{
    QWindow *handle = widget->windowHandle();
    if (!handle || handle == watched)
        return;
    watched = handle;
    QObject::connect(handle, &QWindow::windowStateChanged, widget,
                     [minimised = std::move(minimised)](Qt::WindowState state) {
                         if (state == Qt::WindowMinimized)
                             minimised();
                     });
}
