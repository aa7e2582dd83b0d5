#include "platform/globalhotkeys.h"
#include "platform/sessionbus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QList>
#include <QMap>
#include <QTimer>

namespace {

// One entry of BindShortcuts' a(sa{sv}) argument.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &arg, const PortalShortcut &s)
{
    arg.beginStructure();
    arg << s.id << s.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, PortalShortcut &s)
{
    arg.beginStructure();
    arg >> s.id >> s.properties;
    arg.endStructure();
    return arg;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)
Q_DECLARE_METATYPE(QList<PortalShortcut>)

namespace loqa {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");

QString keyName(Qt::Key key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QStringLiteral("F%1").arg(int(key - Qt::Key_F1) + 1);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return QString(QChar(char16_t(key))).toLower();
    switch (key) {
    case Qt::Key_Backspace:
        return QStringLiteral("BackSpace");
    case Qt::Key_Tab:
        return QStringLiteral("Tab");
    case Qt::Key_Escape:
        return QStringLiteral("Escape");
    case Qt::Key_Return:
        return QStringLiteral("Return");
    case Qt::Key_Enter:
        return QStringLiteral("KP_Enter");
    case Qt::Key_Space:
        return QStringLiteral("space");
    case Qt::Key_PageUp:
        return QStringLiteral("Page_Up");
    case Qt::Key_PageDown:
        return QStringLiteral("Page_Down");
    case Qt::Key_End:
        return QStringLiteral("End");
    case Qt::Key_Home:
        return QStringLiteral("Home");
    case Qt::Key_Left:
        return QStringLiteral("Left");
    case Qt::Key_Up:
        return QStringLiteral("Up");
    case Qt::Key_Right:
        return QStringLiteral("Right");
    case Qt::Key_Down:
        return QStringLiteral("Down");
    case Qt::Key_Insert:
        return QStringLiteral("Insert");
    case Qt::Key_Delete:
        return QStringLiteral("Delete");
    case Qt::Key_Pause:
        return QStringLiteral("Pause");
    case Qt::Key_Print:
        return QStringLiteral("Print");
    default:
        return QString();
    }
}

QVariantMap withToken(const QString &key, const QString &token)
{
    return {{key, token}};
}

// Why the keys stopped working, for the status panel.
QString responseMessage(uint response)
{
    return response == 1 ? QStringLiteral(" System-wide keys: the desktop's dialog was cancelled")
                         : QStringLiteral(" System-wide keys: the desktop refused them");
}

class PortalHotkeys final : public GlobalHotkeys
{
    Q_OBJECT
public:
    PortalHotkeys()
    {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        if (!m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                           SLOT(onActivated(QDBusMessage))))
            qWarning("Global shortcuts: cannot listen to the desktop portal");
        auto *owner = new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForUnregistration, this);
        connect(owner, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
            const bool hadSession = !m_session.path().isEmpty() || m_creating || m_binding;
            forget();
            if (hadSession)
                tell(QStringLiteral(" System-wide keys: the desktop portal went away"));
        });
        probe();
    }

    bool grab(QKeyCombination shortcut) override
    {
        const QString id = XdgTriggerText(shortcut);
        if (id.isEmpty())
            return false;
        if (!m_chords.contains(id)) {
            m_chords.insert(id, shortcut);
            scheduleBind();
        }
        return true;
    }

    // The portal has no way to drop one binding; an ungrabbed chord is simply no
    // longer answered.
    void ungrab(QKeyCombination shortcut) override { m_chords.remove(XdgTriggerText(shortcut)); }

    bool isReal() const override { return m_offered; }

private:
    template <typename Done> void watch(const QDBusPendingCall &call, Done done)
    {
        auto *watcher = new QDBusPendingCallWatcher(call, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done] {
            done(watcher->reply());
            watcher->deleteLater();
        });
    }

    // The Request object's path is known before the call, so its Response is
    // subscribed first and cannot be missed.
    QString requestPath(const QString &token) const
    {
        QString sender = m_bus.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    }

    QString nextToken() { return QStringLiteral("loqa%1").arg(++m_tokens); }

    // Whether the session offers the interface at all: until it answers (and
    // when it never does) grabs are only remembered, nothing fires.
    void probe()
    {
        if (m_probing || m_creating)
            return;
        m_probing = true;
        QDBusMessage get = QDBusMessage::createMethodCall(
            kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << kInterface << QStringLiteral("version");
        watch(m_bus.asyncCall(get), [this](const QDBusMessage &reply) {
            m_probing = false;
            if (reply.type() == QDBusMessage::ReplyMessage && m_session.path().isEmpty())
                createSession();
        });
    }

    // Sends a request whose answer comes as the Response of its Request object,
    // remembered in `path` while it is awaited. An error reply to the call itself
    // counts as a refusal, unless a newer request has taken its place.
    void request(QDBusMessage call, const QString &token, QString &path, const char *responseSlot, const char *refused,
                 void (PortalHotkeys::*respond)(uint, const QVariantMap &))
    {
        path = requestPath(token);
        m_bus.connect(kService, path, kRequest, QStringLiteral("Response"), this, responseSlot);
        const QString sent = path;
        watch(m_bus.asyncCall(call), [this, sent, &path, refused, respond](const QDBusMessage &reply) {
            if (reply.type() != QDBusMessage::ErrorMessage || sent != path)
                return;
            qWarning("Global shortcuts: the desktop portal refused %s: %s", refused, qPrintable(reply.errorMessage()));
            (this->*respond)(2, {});
        });
    }

    void createSession()
    {
        m_offered = true;
        m_creating = true;
        const QString token = nextToken();
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CreateSession"));
        QVariantMap options = withToken(QStringLiteral("handle_token"), token);
        options.insert(QStringLiteral("session_handle_token"), nextToken());
        call << options;
        request(call, token, m_pendingPath, SLOT(onSessionResponse(uint, QVariantMap)), "a session",
                &PortalHotkeys::onSessionResponse);
    }

    void scheduleBind()
    {
        if (m_bindScheduled)
            return;
        m_bindScheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_bindScheduled = false;
            bind();
        });
    }

    // Binds every chord held now; chords added while a bind is answered wait for
    // it and are bound together afterwards. Without a session one is asked for
    // first, and its answer binds.
    void bind()
    {
        if (m_chords.isEmpty())
            return;
        if (m_session.path().isEmpty()) {
            // A grab while a session is being asked for tries again if that one is refused.
            if (m_probing || m_creating)
                m_askAgain = true;
            else
                probe();
            return;
        }
        if (m_binding) {
            m_bindAgain = true;
            return;
        }
        QList<PortalShortcut> shortcuts;
        for (auto it = m_chords.cbegin(); it != m_chords.cend(); ++it)
            shortcuts.append({it.key(),
                              {{QStringLiteral("description"), QStringLiteral("Loquora ") + it.key()},
                               {QStringLiteral("preferred_trigger"), it.key()}}});
        m_binding = true;
        const QString token = nextToken();
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("BindShortcuts"));
        call << QVariant::fromValue(m_session) << QVariant::fromValue(shortcuts) << QString()
             << withToken(QStringLiteral("handle_token"), token);
        request(call, token, m_bindPath, SLOT(onBindResponse(uint, QVariantMap)), "the keys",
                &PortalHotkeys::onBindResponse);
    }

    void stopBinding()
    {
        m_bus.disconnect(kService, m_bindPath, kRequest, QStringLiteral("Response"), this,
                         SLOT(onBindResponse(uint, QVariantMap)));
        m_bindPath.clear();
        m_binding = false;
    }

    void dropSession()
    {
        if (!m_session.path().isEmpty())
            m_bus.disconnect(kService, m_session.path(), kSession, QStringLiteral("Closed"), this,
                             SLOT(onSessionClosed()));
        m_session = QDBusObjectPath();
    }

    // Everything asked of a portal that is no longer there: its answers would
    // never come. The next grab starts again.
    void forget()
    {
        m_bus.disconnect(kService, m_pendingPath, kRequest, QStringLiteral("Response"), this,
                         SLOT(onSessionResponse(uint, QVariantMap)));
        m_pendingPath.clear();
        m_creating = false;
        m_probing = false;
        m_askAgain = false;
        stopBinding();
        m_bindAgain = false;
        dropSession();
    }

    void tell(const QString &message)
    {
        if (m_told)
            return;
        m_told = true;
        emit lost(message);
    }

private slots:
    void onSessionResponse(uint response, const QVariantMap &results)
    {
        m_bus.disconnect(kService, m_pendingPath, kRequest, QStringLiteral("Response"), this,
                         SLOT(onSessionResponse(uint, QVariantMap)));
        m_pendingPath.clear();
        m_creating = false;
        if (response != 0) {
            tell(responseMessage(response));
            if (m_askAgain) {
                m_askAgain = false;
                probe();
            }
            return;
        }
        m_askAgain = false;
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        m_session =
            handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>() : QDBusObjectPath(handle.toString());
        m_bus.connect(kService, m_session.path(), kSession, QStringLiteral("Closed"), this, SLOT(onSessionClosed()));
        bind();
    }

    void onBindResponse(uint response, const QVariantMap &)
    {
        stopBinding();
        if (response != 0)
            tell(responseMessage(response));
        else
            m_told = false;
        if (m_bindAgain) {
            m_bindAgain = false;
            bind();
        }
    }

    // The desktop ended the session (its user revoked the keys, or it restarted
    // its shortcut service): nothing fires until the next grab binds anew.
    void onSessionClosed()
    {
        stopBinding();
        m_bindAgain = false;
        dropSession();
        tell(QStringLiteral(" System-wide keys: the desktop ended them"));
    }

    // Activated(o session, s shortcut_id, t timestamp, a{sv} options)
    void onActivated(const QDBusMessage &message)
    {
        const QVariantList args = message.arguments();
        if (args.size() < 2 || m_session.path().isEmpty() || args.at(0).value<QDBusObjectPath>() != m_session)
            return;
        const QString id = args.at(1).toString();
        const auto found = m_chords.constFind(id);
        if (found != m_chords.cend())
            emit pressed(found->keyboardModifiers(), found->key());
    }

private:
    QDBusConnection m_bus = QDBusConnection::sessionBus();
    QMap<QString, QKeyCombination> m_chords; // shortcut id (its trigger text) -> chord
    QDBusObjectPath m_session;
    QString m_pendingPath;
    QString m_bindPath;
    int m_tokens = 0;
    bool m_offered = false;
    bool m_probing = false;
    bool m_creating = false;
    bool m_bindScheduled = false;
    bool m_binding = false;
    bool m_bindAgain = false;
    bool m_askAgain = false;
    bool m_told = false;
};

} // namespace

QString XdgTriggerText(QKeyCombination shortcut)
{
    const QString key = keyName(shortcut.key());
    if (key.isEmpty())
        return QString();
    const Qt::KeyboardModifiers mods = shortcut.keyboardModifiers();
    QString text;
    if (mods & Qt::ControlModifier)
        text += QStringLiteral("CTRL+");
    if (mods & Qt::AltModifier)
        text += QStringLiteral("ALT+");
    if (mods & Qt::ShiftModifier)
        text += QStringLiteral("SHIFT+");
    if (mods & Qt::MetaModifier)
        text += QStringLiteral("LOGO+");
    return text + key;
}

std::unique_ptr<GlobalHotkeys> CreatePortalHotkeys()
{
    if (!HaveSessionBus())
        return nullptr;
    return std::make_unique<PortalHotkeys>();
}

} // namespace loqa

#include "portalhotkeys.moc"
