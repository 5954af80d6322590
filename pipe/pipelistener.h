#pragma once

#include <QLocalServer>

// The command server's listener: hands each accepted connection over as its socket
// descriptor, so the server can serve it as a PipeConnection.
class PipeListener : public QLocalServer
{
    Q_OBJECT
public:
    using QLocalServer::QLocalServer;

    // Accepts every connection that clients have made already and that waits to be taken up,
    // now, handing each over.
    void takeWaiting();

signals:
    void signal_accepted(int descriptor);

protected:
    void incomingConnection(quintptr descriptor) override;
};
