// The command-line client kvl52110-cli as a separate process against a pipe server in this
// process, and the split of a batch's reply into one reply per request line.
#include "asnobody.h"
#include "commandlineclient.h"
#include "localserver.h"
#include "pipebatch.h"
#include "pipename.h"
#include "piperequest.h"
#include "socketdir.h"
#include "tablerows.h"
#include "tst_pipefixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

namespace
{

const char *const ServerName = "KVLCLI";

struct Outcome {
    int status = -1;
    QByteArray out, err;
};

// Runs the client with arguments and input, serving this process's events (the server's) while
// it runs.
Outcome runClient(const QStringList &arguments, const QByteArray &input = QByteArray(),
                  const QStringList &runAs = {})
{
    QProcess client;
    if (runAs.isEmpty())
        client.start(KVL_CLI_PATH, arguments);
    else
        client.start(runAs.first(), runAs.mid(1) + QStringList{KVL_CLI_PATH} + arguments);
    if (!client.waitForStarted(20000))
        return {};
    client.write(input);
    client.closeWriteChannel();
    // Beyond any time-out a test gives the client, so the client's own verdict is what is seen.
    const QDeadlineTimer deadline(90000);
    while (client.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(5);
    if (client.state() != QProcess::NotRunning) {
        client.kill();
        client.waitForFinished();
        return {};
    }
    return {client.exitCode(), client.readAllStandardOutput(), client.readAllStandardError()};
}

QStringList named(QStringList arguments)
{
    return QStringList{"--name", ServerName} + arguments;
}

} // namespace

class TestCommandLineClient : public QObject
{
    Q_OBJECT

    std::unique_ptr<RecordingHandler> handler;
    LocalServer *server = nullptr;

private slots:
    void init()
    {
        handler = std::make_unique<RecordingHandler>();
        server = new LocalServer(handler.get());
        QVERIFY(server->start(ServerName));
        // Only the client's half-close ends a connection whose replies are empty at once.
        server->setQuietGapMs(3600000);
    }
    void cleanup()
    {
        delete server;
        handler.reset();
    }

    // The replies run together; each is cut where the ones after it fit, values that read as
    // typed texts first. "!" marks a reply that does not split.
    void split_data()
    {
        addRows<QByteArray, QByteArray, QString>(
            {"batch", "reply", "replies"},
            {{"set\tA\ti1\nget\tA\n", "ok\ni7", "ok|i7"},
             {"get\tA\nset\tA\ti1\n", "i7ok\n", "i7|ok"},
             {"get\tA\nset\tA\ti1\n", "i7err\n", "i7|err"},
             {"get\tA\nget\tB\n", "i5i55", "i5|i55"},
             {"get\tA\nget\tB\n", "sabci5", "sabc|i5"},
             {"get\tA\nget\tB\n", "err\nsx", "err|sx"},
             {"get\tA\nget\tB\n", "i5000000000f-2.5e-07", "i5000000000|f-2.5e-07"},
             {"get\tA\nrun\tB\nset\tA\ti1\n", "ok\n", "||ok"},
             {"run\tA\nrun\tB\tx\n", "x0a1bi#1;2", "x0a1b|i#1;2"},
             {"get\tA\n\n \nget\tA\nset\tA\ti1\nset\tA\ti1\n", "i7ok\n", "i7|ok"},
             {"bogus\nget\tA\tB\nget\tA\n", "err\nerr\ni7", "err|err|i7"},
             {"get\tA\r\nset\tA\ti1", "i7ok\n", "i7|ok"},
             {"get\tA\nset\tA\ti1\n", "a;bok\n", "a;b|ok"},
             {"get\tA\n", "sa\nb", "sa\nb"},
             {"get\tA\nget\tB\n", "sabc", "sabc|"},
             {"get\tA\nget\tB\n", "ab", "a|b"}, // untyped: the shortest first
             // The "err" of the first line leaves nothing the set could answer: the first
             // line gave no value, the set was refused.
             {"get\tA\nset\tA\ti1\nget\tB\n", "err\ni5", "|err|i5"},
             // Two gets without a value before a refused set: where one line's reply leads
             // nowhere, the reply of another line from the same place may still fit.
             {"get\tA\nget\tB\nset\tA\ti1\nget\tC\n", "err\ni5", "||err|i5"},
             {"get\tA\nset\tA\ti1\n", "\nok\n", "!"},
             {"", "", ""},
             {"set\tA\ti1\nset\tA\ti2\n", "err\n", "!"},
             {"set\tA\ti1\n", "", "!"},
             {"set\tA\ti1\n", "i7", "!"},
             {"get\tA\nset\tA\ti1\n", "i7\nok\n", "!"},
             {"", "ok\n", "!"}});
    }
    void split()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QByteArray, reply);
        QFETCH(QString, replies);
        QList<QByteArray> parts{"left from before"};
        const bool fits = PipeBatch(batch).split(reply, &parts);
        QCOMPARE(fits ? QString::fromLatin1(parts.join('|')) : QString("!"), replies);
    }

    // Each form prints what it is said to, and exits 0 when every request succeeded, 1 with a
    // message naming each refused request.
    void requests_data()
    {
        addRows<QStringList, QByteArray, bool, int, QByteArray, QByteArray, QString>(
            {"arguments", "input", "ok", "status", "out", "err", "calls"},
            {{{"get", "A.B"}, "", true, 0, "i7\n", "", "get A.B"},
             {{"get", "A.B"},
              "",
              false,
              1,
              "err\n",
              "kvl52110-cli: refused: get A.B (the program's log says why)\n",
              "get A.B"},
             {{"set", "A.B", "f2.5"}, "", true, 0, "", "", "set A.B double:2.5"},
             {{"set", "A.B", "i99999999999"},
              "",
              true,
              1,
              "",
              "kvl52110-cli: refused: set A.B i99999999999 (the program's log says why)\n",
              ""},
             {{"run", "A.cmd"}, "", true, 0, "i7\n", "", "run A.cmd []"},
             {{"run", "A.cmd", "i1", "s/dev/pts/5"},
              "",
              true,
              0,
              "i7\n",
              "",
              "run A.cmd [int:1,QString:/dev/pts/5]"},
             {{"-"},
              "get\tA.B\nset\tA.B\ti1\r\n\nset\tA.C\tnone\nrun\tX\n",
              true,
              1,
              "i7\nok\nerr\ni7\n",
              "kvl52110-cli: refused: set A.C none (the program's log says why)\n",
              "get A.B|set A.B int:1|run X []"},
             {{"-"}, "", true, 0, "", "", ""}});
    }
    void requests()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(bool, ok);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(QString, calls);
        handler->ok = ok;
        const Outcome outcome = runClient(named(arguments), input);
        QCOMPARE(outcome.out, out);
        QCOMPARE(outcome.err, err);
        QCOMPARE(outcome.status, status);
        QCOMPARE(handler->calls.join("|"), calls);
    }

    // The default socket name, the other form of the option, and a pipe path, which names the
    // same socket for the server and the client.
    void socketNames()
    {
        QCOMPARE(runClient({"--name=" + QString(ServerName), "get", "A.B"}).out, "i7\n");
        LocalServer program(handler.get());
        QVERIFY(program.start("KVL52110"));
        handler->value = 3;
        QCOMPARE(runClient({"get", "A.B"}).out, "i3\n");
        LocalServer piped(handler.get());
        QVERIFY(piped.start("\\\\.\\pipe\\KVLPIPED"));
        QVERIFY(QFileInfo::exists(SocketDir().file("KVLPIPED")));
        QCOMPARE(runClient({"--name", "\\\\.\\PIPE\\KVLPIPED", "get", "A.B"}).out, "i3\n");
        QCOMPARE(runClient({"--name", "KVLPIPED", "get", "A.B"}).out, "i3\n");
    }

    // A refused request is named on one line of standard error, whatever its bytes: control
    // characters escaped, a long line cut.
    void refusedRequestShownSafely()
    {
        handler->ok = false;
        const QByteArray longName(300, 'n');
        const Outcome outcome =
            runClient(named({"-"}), "set\tA\x1b]0;x\x07\ti1\nget\t" + longName + "\xe9\n");
        QCOMPARE(outcome.status, 1);
        const QByteArray cut =
            "get " + longName.left(PipeRequest::MaxShownChars - 4) + "... (305 characters)";
        QCOMPARE(outcome.err, "kvl52110-cli: refused: set A\\x1b]0;x\\x07 i1 (the program's log "
                              "says why)\nkvl52110-cli: refused: " +
                                  cut + " (the program's log says why)\n");
    }

    // An empty value still ends the connection at once: the client half-closes after writing
    // (the server's quiet gap is an hour here).
    void halfClosesAfterWriting()
    {
        handler->value = QVariant();
        const Outcome outcome = runClient(named({"run", "A.cmd"}));
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.out, "\n");
    }

    // Each request line goes on a connection of its own: its reply is printed on its own line
    // whatever the values hold, an empty line where a request got no reply; blank and repeated
    // lines are skipped as on the socket. A long batch of strings and numbers stays whole.
    void oneReplyPerLine()
    {
        handler->named = {{"A", QString("x")},
                          {"B", QVariant()},
                          {"C", 2.5},
                          {"D", QString("7f")},
                          {"E", QString("a\nb")}};
        const Outcome outcome = runClient(
            named({"-"}), "get\tA\nget\tB\nget\tB\n\nrun\tC\nget\tD\nrun\tB\nget\tE\nset\tA\ti1\n");
        QCOMPARE(outcome.out, QByteArray("sx\n\nf2.5\ns7f\n\nsa\nb\nok\n"));
        QCOMPARE(outcome.status, 0);
        QCOMPARE(handler->takeCalls(), QStringList({"get A", "get B", "run C []", "get D",
                                                    "run B []", "get E", "set A int:1"}));
        QByteArray batch, expected;
        for (int i = 0; i < 200; ++i) {
            batch += i % 2 ? "get\tS" + QByteArray::number(i) + "\n" : "get\tN\n";
            handler->named.insert("S" + QString::number(i), QString("i%1").arg(i));
            expected += i % 2 ? "si" + QByteArray::number(i) + "\n" : "i7\n";
            if (i % 2 == 0) // a repeated line would be skipped: another name between
                batch += "get\tB\n", expected += "\n";
        }
        const Outcome many = runClient(named({"-"}), batch);
        QCOMPARE(many.status, 0);
        QCOMPARE(many.out, expected);
    }

    // A reply that does not come within the time-out (10 s unless --timeout says otherwise)
    // ends the client with status 3 and what it waited for.
    void timesOut()
    {
        server->hold(); // as while a person's command runs
        const Outcome outcome = runClient(named({"--timeout", "0.5", "get", "A.B"}));
        server->release();
        QCOMPARE(outcome.status, 3);
        QCOMPARE(outcome.out, QByteArray());
        QVERIFY2(outcome.err.startsWith("kvl52110-cli: no reply within 0.5 s to \"get A.B\" "
                                        "from " +
                                        QFile::encodeName(PipeName::socketFile(ServerName))),
                 outcome.err.constData());
        QVERIFY(outcome.err.contains("--timeout S waits longer"));
        QCOMPARE(runClient({"--timeout=30", "--name", ServerName, "get", "A.B"}).out, "i7\n");
    }

    // A connection closed without a reply is no success. A "set" always answers, so nothing is
    // a missing reply (status 4, said so, and whether the program still runs); a "get" or
    // "run" may answer nothing, but only a program that runs on has answered so, also one that
    // listens no more (as at its end). A program that aborts while it serves has not, however
    // long its socket still takes connections: each of five runs says so.
    void closedWithoutAReply()
    {
        UnansweringProgram standIn("KVLGONE");
        QVERIFY(standIn.listening);
        const QByteArray missing = "kvl52110-cli: no reply to \"%1\" from " +
                                   QFile::encodeName(PipeName::socketFile("KVLGONE")) +
                                   ": the program closed the connection without answering; %2\n";
        const Outcome set = runClient({"--name", "KVLGONE", "set", "A.B", "i1"});
        QCOMPARE(set.status, 4);
        QCOMPARE(set.err, QByteArray(missing)
                              .replace("%1", "set A.B i1")
                              .replace("%2", "it still runs (its log may say why)"));
        const Outcome nothing = runClient({"--name", "KVLGONE", "get", "A.B"});
        QCOMPARE(nothing.status, 0);
        QCOMPARE(nothing.out, QByteArray("\n"));
        standIn.ends = true;
        QCOMPARE(runClient({"--name", "KVLGONE", "get", "A.B"}).out, QByteArray("\n"));
        standIn.close();
        for (int run = 0; run < 5; ++run) {
            AbortingProgram aborting("KVLGONE");
            QVERIFY(aborting.listening);
            const Outcome gone = runClient({"--name", "KVLGONE", "run", "Board.Read_all1"});
            QCOMPARE(aborting.endingSignal(), SIGABRT);
            QCOMPARE(gone.status, 4);
            QCOMPARE(gone.out, QByteArray());
            QCOMPARE(gone.err, QByteArray(missing)
                                   .replace("%1", "run Board.Read_all1")
                                   .replace("%2", "it has ended"));
        }
    }

    // A program of another user at the socket's place gets no request: the client refuses it.
    // A program of root's answers any user's client, a user's program that user's client.
    void refusesAnotherUsersProgram()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user");
        // Short places, whatever the build tree's path; nobody's can be reached by nobody.
        const QTemporaryDir nobodys("/tmp/kvlsq-XXXXXX"), roots("/tmp/kvlsr-XXXXXX");
        QVERIFY(nobodys.isValid() && roots.isValid());
        const passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody &&
                ::chown(QFile::encodeName(nobodys.path()).constData(), nobody->pw_uid, 0) == 0);
        QLocalServer squatter;
        connect(&squatter, &QLocalServer::newConnection, &squatter, [&squatter]() {
            QLocalSocket *connection = squatter.nextPendingConnection();
            // Replies once the request line is in, as a server does: a reply and close before
            // the client has written would fail its write.
            const auto reply = [connection]() {
                if (!connection->canReadLine())
                    return;
                connection->readAll();
                connection->write("f42");
                connection->disconnectFromServer();
            };
            connect(connection, &QLocalSocket::readyRead, connection, reply);
            reply();
        });
        {
            AsNobody::Effective asNobody; // the socket's credentials are those of its listen()
            QVERIFY(squatter.listen(nobodys.path() + "/KVL52110"));
        }
        // A client of nobody's, in nobody's session (this process serves the squatter and its own
        // server: on a loaded machine a reply may take a while).
        const auto nobodysClient = [&nobodys]() {
            const EnvScope session("XDG_RUNTIME_DIR", QFile::encodeName(nobodys.path()));
            return runClient({"--timeout=60", "get", "A.B"}, QByteArray(),
                             {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
        };
        const EnvScope session("XDG_RUNTIME_DIR", QFile::encodeName(roots.path()));
        const Outcome theirs = nobodysClient();
        QCOMPARE(theirs.err, QByteArray());
        QCOMPARE(theirs.out, QByteArray("f42\n"));
        // Only root could put nobody's program in root's own place; root's client refuses it.
        QCOMPARE(::rename(QFile::encodeName(nobodys.path() + "/KVL52110").constData(),
                          QFile::encodeName(roots.path() + "/KVL52110").constData()),
                 0);
        const Outcome outcome = runClient({"--timeout=60", "get", "A.B"});
        QCOMPARE(outcome.status, 2);
        QCOMPARE(outcome.out, QByteArray());
        QVERIFY2(outcome.err.startsWith("kvl52110-cli: refused to talk to " +
                                        QFile::encodeName(roots.path()) +
                                        "/KVL52110: the program "
                                        "there runs as another user (uid "),
                 outcome.err.constData());
        // A program of root's in nobody's place is answered by nobody's client.
        squatter.close();
        QVERIFY(QFile::remove(roots.path() + "/KVL52110"));
        squatter.setSocketOptions(QLocalServer::WorldAccessOption);
        QVERIFY(squatter.listen(nobodys.path() + "/KVL52110"));
        const Outcome answeredByRoot = nobodysClient();
        QCOMPARE(answeredByRoot.err, QByteArray());
        QCOMPARE(answeredByRoot.out, QByteArray("f42\n"));
        // The user's own program in the user's own place is answered.
        LocalServer own(handler.get());
        QVERIFY(own.start("KVL52110"));
        const Outcome ours = runClient({"--timeout=60", "get", "A.B"});
        QCOMPARE(ours.out, QByteArray("i7\n"));
    }

    // Without a program listening, status 2 and where the client looked.
    void nobodyListening()
    {
        const Outcome outcome = runClient({"--name", "NOBODY", "get", "A.B"});
        QCOMPARE(outcome.status, 2);
        QCOMPARE(outcome.err, "kvl52110-cli: no program is listening on " +
                                  QFile::encodeName(PipeName::socketFile("NOBODY")) + "\n");
        QCOMPARE(outcome.out, QByteArray());
        // The longest wait there is is taken, and the shortest (less than a millisecond
        // waits one).
        QCOMPARE(runClient({"--timeout", "2000000", "--name", "NOBODY", "get", "A.B"}).status, 2);
        QCOMPARE(runClient({"--timeout", "0.0001", "--name", "NOBODY", "get", "A.B"}).status, 2);
        // A socket directory that no socket may be in is named with what is wrong with it.
        const QTemporaryDir state;
        const QString place = state.path() + "/kvl52110/sockets/" + QSysInfo::machineHostName();
        QVERIFY(QDir().mkpath(place) &&
                QFile::setPermissions(place, QFileDevice::Permissions(0x7770)));
        const EnvScope none("XDG_RUNTIME_DIR", QByteArray());
        const EnvScope stateHome("XDG_STATE_HOME", QFile::encodeName(state.path()));
        const Outcome unfit = runClient({"get", "A.B"});
        QCOMPARE(unfit.status, 2);
        QCOMPARE(unfit.err, "kvl52110-cli: no socket directory to look in: the socket directory " +
                                QFile::encodeName(place) +
                                " is writable by other users (mode 0770): make it private with "
                                "chmod 700 " +
                                QFile::encodeName(place) +
                                ", or set XDG_RUNTIME_DIR to a folder of your own on a way that "
                                "no other user can change (such as a new one in /tmp: export "
                                "XDG_RUNTIME_DIR=$(mktemp -d -p /tmp), for the program and its "
                                "clients)\n");
    }

    // A socket name is one file name: any other is wrong usage, and nothing is sent, not even to
    // a program that a name leading out of the socket directory would reach.
    void nameIsOneFileName()
    {
        const QString around =
            "../" + QFileInfo(SocketDir::directory()).fileName() + "/" + ServerName;
        for (const QString &name :
             {around, QString("a/b"), QString("."), QString(".."), QString("\\\\.\\pipe\\.."),
              QString(SocketDir::MaxNameBytes + 1, 'n')}) {
            QString why;
            QVERIFY(PipeName::socketName(name, &why).isEmpty());
            const Outcome outcome = runClient({"--name", name, "get", "A.B"});
            QCOMPARE(outcome.status, 64);
            QCOMPARE(outcome.err, "kvl52110-cli: --name: " + why.toLocal8Bit() +
                                      "\nTry 'kvl52110-cli --help' for the usage.\n");
        }
        QCOMPARE(handler->calls, QStringList());
    }

    // Wrong usage sends nothing and exits 64, saying in one line what is wrong and where the
    // usage is; "--help" prints the usage and exits 0.
    void usage_data()
    {
        const QString shapes = "get takes one item: get ITEM|set takes an item and a value: set "
                               "ITEM VALUE|run takes a command and its arguments: run COMMAND "
                               "[ARG...]";
        const QStringList shape = shapes.split('|');
        const QString timeout =
            "--timeout takes seconds, a number above 0 up to 2000000, not \"%1\"";
        const QString noName = "--name: \"\" is no socket name: a socket name is one file name of "
                               "1 to 80 bytes, without \"/\", other than \".\" and \"..\"";
        addRows<QStringList, QString>(
            {"arguments", "why"},
            {{QStringList(),
              "no request: give get ITEM, set ITEM VALUE, run COMMAND [ARG...] or -"},
             {{"get"}, shape[0]},
             {{"get", "A", "B"}, shape[0]},
             {{"set", "A"}, shape[1]},
             {{"set", "A", "i1", "i2"}, shape[1]},
             {{"run"}, shape[2]},
             {{"put", "A"}, "\"put\" is no request: the requests are get, set, run and -"},
             {{"get", "A\tB"},
              "an argument holds a tab or a line break, which would break the request line"},
             {{"run", "A", "s\n"},
              "an argument holds a tab or a line break, which would break the request line"},
             {{"get", ""}, "get takes a name that is not empty"},
             {{"--name"}, noName},
             {{"--name", "", "get", "A"}, noName},
             {{"-", "x"}, "\"-\" reads the requests from standard input and takes no arguments"},
             {{"--timeout", "0", "get", "A"}, timeout.arg("0")},
             {{"--timeout", "2000001", "get", "A"}, timeout.arg("2000001")},
             {{"--timeout", "x", "get", "A"}, timeout.arg("x")},
             {{"--timeout", "nan", "get", "A"}, timeout.arg("nan")},
             {{"--timeout=", "get", "A"}, timeout.arg("")},
             {{"get", "A", "--timeout"}, shape[0]},
             {{"--timeout"}, timeout.arg("")},
             {{"--other", "1", "get", "A"},
              "\"--other\" is no option: the options are --name NAME and --timeout S"}});
    }
    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, why);
        const Outcome outcome = runClient(arguments);
        QCOMPARE(outcome.status, 64);
        QCOMPARE(outcome.err,
                 "kvl52110-cli: " + why.toUtf8() + "\nTry 'kvl52110-cli --help' for the usage.\n");
        QCOMPARE(outcome.out, QByteArray());
        QCOMPARE(handler->calls, QStringList());
    }
    void help()
    {
        for (const QString &form : {"--help", "-h"}) {
            const Outcome outcome = runClient({form});
            QCOMPARE(outcome.status, 0);
            QVERIFY(outcome.out.startsWith("Usage: kvl52110-cli"));
            QVERIFY(outcome.out.endsWith("Here the socket directory is " +
                                         QFile::encodeName(SocketDir::directory()) + ".\n"));
        }
    }
};

QTEST_MAIN(TestCommandLineClient)
#include "tst_commandlineclient.moc"
