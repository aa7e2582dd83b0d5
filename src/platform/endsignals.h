#pragma once

#include <QObject>

class QSocketNotifier;

namespace loqa {

// SIGTERM, SIGHUP and SIGINT, the ways a session ends a program that does not
// close its own window (a logout, a shutdown, `kill`, Ctrl+C at a terminal),
// heard on the thread that made this object. The handler only writes the signal's
// number into a socket pair; Received comes from the event loop, so whatever it
// starts runs on that thread. One at a time: a second object takes nothing over.
class EndSignals : public QObject
{
    Q_OBJECT
public:
    explicit EndSignals(QObject *parent = nullptr);
    // Gives the three signals their earlier handlers back.
    ~EndSignals() override;

    // False when the socket pair or a handler could not be made.
    bool Listening() const { return FNotifier != nullptr; }

signals:
    void Received(int signalNumber);

private:
    void Drain();

    QSocketNotifier *FNotifier = nullptr;
};

} // namespace loqa
