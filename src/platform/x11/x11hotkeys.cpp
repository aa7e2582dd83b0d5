#include "platform/globalhotkeys.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace loqa {

namespace {

KeySym keysymFor(Qt::Key key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return XK_F1 + (key - Qt::Key_F1);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return XK_a + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return XK_0 + (key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Backspace:
        return XK_BackSpace;
    case Qt::Key_Tab:
        return XK_Tab;
    case Qt::Key_Escape:
        return XK_Escape;
    case Qt::Key_Return:
        return XK_Return;
    case Qt::Key_Enter:
        return XK_KP_Enter;
    case Qt::Key_Space:
        return XK_space;
    case Qt::Key_PageUp:
        return XK_Page_Up;
    case Qt::Key_PageDown:
        return XK_Page_Down;
    case Qt::Key_End:
        return XK_End;
    case Qt::Key_Home:
        return XK_Home;
    case Qt::Key_Left:
        return XK_Left;
    case Qt::Key_Up:
        return XK_Up;
    case Qt::Key_Right:
        return XK_Right;
    case Qt::Key_Down:
        return XK_Down;
    case Qt::Key_Insert:
        return XK_Insert;
    case Qt::Key_Delete:
        return XK_Delete;
    case Qt::Key_Pause:
        return XK_Pause;
    case Qt::Key_Print:
        return XK_Print;
    default:
        break;
    }
    // Printable Latin-1 keys share their codes with their keysyms.
    if (key >= 0x20 && key <= 0xff)
        return KeySym(QChar(char16_t(key)).toLower().unicode());
    return NoSymbol;
}

uint16_t x11Modifiers(Qt::KeyboardModifiers mods)
{
    uint16_t m = 0;
    if (mods & Qt::ShiftModifier)
        m |= XCB_MOD_MASK_SHIFT;
    if (mods & Qt::ControlModifier)
        m |= XCB_MOD_MASK_CONTROL;
    if (mods & Qt::AltModifier)
        m |= XCB_MOD_MASK_1;
    if (mods & Qt::MetaModifier)
        m |= XCB_MOD_MASK_4;
    return m;
}

// Caps Lock (Lock) and Num Lock (Mod2) must not break a hotkey: every
// combination is grabbed with and without them.
constexpr uint16_t kLockMasks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

class X11Hotkeys final : public GlobalHotkeys, public QAbstractNativeEventFilter
{
public:
    X11Hotkeys(Display *display, xcb_connection_t *connection) : m_display(display), m_connection(connection)
    {
        const xcb_setup_t *setup = xcb_get_setup(connection);
        m_root = xcb_setup_roots_iterator(setup).data->root;
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11Hotkeys() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool grab(QKeyCombination shortcut) override
    {
        const xcb_keycode_t code = keycodeFor(shortcut.key());
        if (code == 0)
            return false;
        const uint16_t mods = x11Modifiers(shortcut.keyboardModifiers());
        bool ok = true;
        for (uint16_t lock : kLockMasks) {
            const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 1, m_root, mods | lock, code,
                                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
                ok = false;
                free(error);
            }
        }
        m_grabs.insert(grabKey(code, mods), shortcut);
        return ok;
    }

    void ungrab(QKeyCombination shortcut) override
    {
        const xcb_keycode_t code = keycodeFor(shortcut.key());
        if (code == 0)
            return;
        const uint16_t mods = x11Modifiers(shortcut.keyboardModifiers());
        for (uint16_t lock : kLockMasks)
            xcb_ungrab_key(m_connection, code, m_root, mods | lock);
        xcb_flush(m_connection);
        m_grabs.remove(grabKey(code, mods));
    }

    bool isReal() const override { return true; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto *event = static_cast<xcb_generic_event_t *>(message);
        if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
            return false;
        auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
        const uint16_t significant =
            press->state & (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
        const auto found = m_grabs.constFind(grabKey(press->detail, significant));
        if (found == m_grabs.cend())
            return false;
        emit pressed(found->keyboardModifiers(), found->key());
        return true;
    }

private:
    static quint32 grabKey(xcb_keycode_t code, uint16_t mods) { return (quint32(mods) << 8) | code; }

    xcb_keycode_t keycodeFor(Qt::Key key) const
    {
        const KeySym sym = keysymFor(key);
        if (sym == NoSymbol)
            return 0;
        return XKeysymToKeycode(m_display, sym);
    }

    Display *m_display;
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
    QHash<quint32, QKeyCombination> m_grabs;
};

} // namespace

std::unique_ptr<GlobalHotkeys> CreateX11Hotkeys()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display() || !x11->connection())
        return nullptr;
    return std::make_unique<X11Hotkeys>(x11->display(), x11->connection());
}

} // namespace loqa
