#include "commandchannel.h"

#include "apppath.h"
#include "qmutils.h"
#include "sessionbus.h"
#include "singleinstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

namespace loqa {

const char CommandBusName[] = "org.example.loquora.Loquora";
const char CommandBusPath[] = "/org/example/loquora/Loquora";

namespace {

// The object on the bus; what it answers is the server's OnCommand.
class CommandBusObject : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.example.loquora.Loquora")
public:
    explicit CommandBusObject(CommandServer *server) : QObject(server), FServer(server) {}

public slots:
    bool Command(const QString &name) { return FServer->OnCommand && FServer->OnCommand(name); }

private:
    CommandServer *FServer;
};

} // namespace

QString CommandChannelPath()
{
    return InstanceFileName(InstanceLockName(ApplicationTitle()), QStringLiteral(".socket"));
}

CommandServer::CommandServer(QObject *parent) : QObject(parent), FServer(new QLocalServer(this))
{
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = FServer->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (!client->canReadLine())
                    return;
                const QString name = QString::fromUtf8(client->readLine()).trimmed();
                QPointer<QLocalSocket> guard(client);
                const bool known = OnCommand && OnCommand(name);
                if (guard) {
                    guard->write(known ? "ok\n" : "unknown\n");
                    guard->flush();
                    guard->disconnectFromServer();
                }
            });
        }
    });
}

CommandServer::~CommandServer() = default;

bool CommandServer::Listen(const QString &path)
{
    QLocalServer::removeServer(path);
    return FServer->listen(path);
}

bool CommandServer::ListenOnBus()
{
    if (!HaveSessionBus())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QLatin1String(CommandBusPath), new CommandBusObject(this), QDBusConnection::ExportAllSlots))
        return false;
    // Only the instance holding the single-instance lock gets here; a name still
    // held by a window of another session of the same user is left to it.
    return bus.interface()->registerService(QLatin1String(CommandBusName), QDBusConnectionInterface::DontQueueService,
                                            QDBusConnectionInterface::DontAllowReplacement) ==
           QDBusConnectionInterface::ServiceRegistered;
}

SendResult SendCommandOverBus(const QString &name, int timeoutMs)
{
    if (!HaveSessionBus())
        return SendResult::NoWindow;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(CommandBusName), QLatin1String(CommandBusPath),
                                                       QLatin1String(CommandBusName), QStringLiteral("Command"));
    call.setAutoStartService(false);
    call << name;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return SendResult::NoWindow;
    return reply.arguments().constFirst().toBool() ? SendResult::Done : SendResult::Unknown;
}

SendResult SendCommand(const QString &path, const QString &name, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs))
        return SendResult::NoWindow;
    socket.write(name.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return SendResult::NoWindow;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return SendResult::NoWindow;
    }
    return socket.readLine().trimmed() == "ok" ? SendResult::Done : SendResult::Unknown;
}

} // namespace loqa

#include "commandchannel.moc"
