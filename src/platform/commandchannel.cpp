#include "commandchannel.h"

#include "apppath.h"
#include "qmutils.h"
#include "singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

namespace loqa {

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
