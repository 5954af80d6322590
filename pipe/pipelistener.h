#pragma once

#include <QLocalServer>

// The command server's listener: hands each accepted connection over as its socket
// descriptor, so the server can serve it as a PipeConnection.
class PipeListener : public QLocalServer
{
    Q_OBJECT
public:
    using QLocalServer::QLocalServer;

signals:
    void signal_accepted(int descriptor);

protected:
    void incomingConnection(quintptr descriptor) override;
};
