#pragma once

// Shared by the tests of the pipe server (tst_localserver, tst_serverconnections): a server on
// the name KVLTEST against a recording handler, started afresh for each test function.
#include "localserver.h"
#include "tst_pipefixture.h"

#include <QString>

#include <memory>

class LocalServerTest : public QObject
{
protected:
    bool startServer()
    {
        handler = std::make_unique<RecordingHandler>();
        server = new LocalServer(handler.get());
        return server->start(name);
    }
    void stopServer()
    {
        delete server;
        handler.reset();
    }

    std::unique_ptr<RecordingHandler> handler;
    LocalServer *server = nullptr;
    const QString name = QStringLiteral("KVLTEST");
};
