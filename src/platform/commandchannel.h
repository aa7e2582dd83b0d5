#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalServer;

namespace loqa {

// Where the running window takes commands from `loqa --command NAME`: its name
// on the session bus, with the object CommandBusPath() whose method
// Command(s name) -> b answers whether the window knows the command, and
// Open(as paths) -> b whether it took the documents; and, for a
// session without a bus, a local socket beside the single-instance lock, so one
// per user and session.
QString CommandChannelPath();
extern const char CommandBusName[];
extern const char CommandBusPath[];

// The running window's end: one line per connection, a command name, or "open"
// and the documents as file URLs, each after a space; the answer is "ok" when the
// window took it, "unknown" when it knows no such command.
class CommandServer : public QObject
{
    Q_OBJECT
public:
    explicit CommandServer(QObject *parent = nullptr);
    ~CommandServer() override;

    // Only the instance that holds the single-instance lock listens, so a socket
    // left by a crashed run is taken over.
    bool Listen(const QString &path);
    // Takes the window's name on the session bus; false without a bus, or when
    // another program holds the name.
    bool ListenOnBus();
    // Takes a command; false when there is no such command. It must not wait
    // (a command that opens a dialog runs after the answer has gone out).
    std::function<bool(const QString &name)> OnCommand;
    // Takes documents to open (absolute paths), under the same rule.
    std::function<bool(const QStringList &paths)> OnOpen;

private:
    QLocalServer *FServer;
};

enum class SendResult { Done, NoWindow, Unknown };
// The other end, for the command line: hands one command to the running window
// and waits for its answer, over the socket at `path`...
SendResult SendCommand(const QString &path, const QString &name, int timeoutMs = 10000);
// ...or over the session bus (NoWindow also when there is no bus).
SendResult SendCommandOverBus(const QString &name, int timeoutMs = 10000);
// Documents for the running window to open, absolute paths, the same two ways.
SendResult SendOpen(const QString &path, const QStringList &paths, int timeoutMs = 10000);
SendResult SendOpenOverBus(const QStringList &paths, int timeoutMs = 10000);

} // namespace loqa
