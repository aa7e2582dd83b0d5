#include "platform/commandchannel.h"

#include "platform/apppath.h"
#include "platform/qmutils.h"
#include "platform/sessionbus.h"
#include "platform/singleinstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QUrl>
#include <QVariant>

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
    bool Open(const QStringList &paths) { return FServer->OnOpen && FServer->OnOpen(paths); }

private:
    CommandServer *FServer;
};

const char kOpenLine[] = "open";

// "open" and the paths as file URLs, which hold no space or line break.
QByteArray OpenLine(const QStringList &paths)
{
    QByteArray line = kOpenLine;
    for (const QString &path : paths)
        line += ' ' + QUrl::fromLocalFile(path).toEncoded();
    return line;
}

// The paths of an "open" line; false for any other line.
bool ParseOpenLine(const QString &line, QStringList &paths)
{
    QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.takeFirst() != QLatin1String(kOpenLine))
        return false;
    for (const QString &word : words) {
        const QUrl url = QUrl::fromEncoded(word.toUtf8(), QUrl::StrictMode);
        if (!url.isLocalFile())
            return false;
        paths << url.toLocalFile();
    }
    return true;
}

SendResult CallOverBus(const QString &method, const QVariant &argument, int timeoutMs)
{
    if (!HaveSessionBus())
        return SendResult::NoWindow;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(CommandBusName), QLatin1String(CommandBusPath),
                                                       QLatin1String(CommandBusName), method);
    call.setAutoStartService(false);
    call << argument;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return SendResult::NoWindow;
    return reply.arguments().constFirst().toBool() ? SendResult::Done : SendResult::Unknown;
}

SendResult SendLine(const QString &path, const QByteArray &line, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs))
        return SendResult::NoWindow;
    socket.write(line + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return SendResult::NoWindow;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return SendResult::NoWindow;
    }
    return socket.readLine().trimmed() == "ok" ? SendResult::Done : SendResult::Unknown;
}

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
                QStringList paths;
                const bool known = ParseOpenLine(name, paths) ? OnOpen && OnOpen(paths) : OnCommand && OnCommand(name);
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
    return CallOverBus(QStringLiteral("Command"), name, timeoutMs);
}

SendResult SendOpenOverBus(const QStringList &paths, int timeoutMs)
{
    return CallOverBus(QStringLiteral("Open"), paths, timeoutMs);
}

SendResult SendCommand(const QString &path, const QString &name, int timeoutMs)
{
    return SendLine(path, name.toUtf8(), timeoutMs);
}

SendResult SendOpen(const QString &path, const QStringList &paths, int timeoutMs)
{
    return SendLine(path, OpenLine(paths), timeoutMs);
}

} // namespace loqa

#include "commandchannel.moc"
