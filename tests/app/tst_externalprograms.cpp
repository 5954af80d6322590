#include "asnobody.h"
#include "documentopener.h"
#include "mainapp.h"
#include "programfiles.h"
#include "recordingprompt.h"
#include "softwareupdater.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

// A name a shell would split, substitute and run.
static const QString AwkwardName = QStringLiteral("my \"spec\" $(touch pwned); rm x.pdf");
static const QString WarningText =
    QStringLiteral("Error starting updater. \n Updater is not installed!");

// The datasheet and the updater: what is opened or started, with which arguments, and what the
// user is asked and told.
class TestExternalPrograms : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        prompt = std::make_unique<RecordingPrompt>();
        opened.clear();
        starts.clear();
        openResult = true;
        DocumentOpener::setUrlOpener([this](const QUrl &url) { return opened << url, openResult; });
        SoftwareUpdater::setStarter([this](const QString &program, const QStringList &arguments,
                                           const QString &dir) {
            return starts << Start{program, dir, arguments, QFileInfo(program).canonicalFilePath()},
                   true;
        });
    }

    void cleanup()
    {
        DocumentOpener::setUrlOpener({});
        SoftwareUpdater::setStarter({});
        prompt.reset();
    }

    // The datasheet's path reaches the desktop unchanged, with no shell; a missing one asks
    // for a file; one that cannot be opened is reported but kept.
    void datasheet()
    {
        touch(AwkwardName);
        DocumentOpener opener(AwkwardName);
        QCOMPARE(opener.openSpec(), AwkwardName);
        QVERIFY(opener.errorString().isEmpty() && prompt->fileDialogs().isEmpty());
        QCOMPARE(opened,
                 QList<QUrl>{QUrl::fromLocalFile(QDir::current().absoluteFilePath(AwkwardName))});
        QVERIFY(!QFile::exists("pwned"));

        touch("chosen.pdf");
        prompt->queueFile("absent.pdf");
        prompt->queueFile("chosen.pdf");
        DocumentOpener gone(QStringLiteral("gone.pdf"));
        QCOMPARE(gone.openSpec(), QString()); // the file chosen is not there either
        QCOMPARE(gone.openSpec(), QString("chosen.pdf"));
        QCOMPARE(prompt->fileDialogs().value(0), QString("Spec path|Files (*.docx *.doc *.pdf)"));
        QCOMPARE(opened.size(), 2);

        openResult = false;
        DocumentOpener failing(QStringLiteral("chosen.pdf"));
        QCOMPARE(failing.openSpec(), QStringLiteral("chosen.pdf"));
        QVERIFY(failing.errorString().contains("chosen.pdf"));
        openResult = true; // opened at the next try: the old error goes
        QCOMPARE(failing.openSpec(), QStringLiteral("chosen.pdf"));
        QVERIFY(failing.errorString().isEmpty());
    }

    // Through QProcess itself: a name with blanks and quotes runs as one program, and it sees
    // exactly two arguments.
    void realUpdaterProcessSeesTwoArguments()
    {
        SoftwareUpdater::setStarter({});
        const QString script = QStringLiteral("up \"date\" $(x).sh");
        touch(script, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > args.tmp && mv args.tmp args.txt\n");
        QVERIFY(
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        SoftwareUpdater updater(script, QDir::currentPath());
        QVERIFY(updater.start());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("args.txt"), 30000);
        QCOMPARE(QString::fromUtf8(TestFiles::read("args.txt")),
                 QStringLiteral("2|KVL52110|%1|").arg(QDir::currentPath()));
        // One that does not start is no success.
        SoftwareUpdater missing("/no/such/updater", QDir::currentPath());
        QVERIFY(!missing.start());
        QCOMPARE(prompt->messages().last().text, WarningText);
    }

    // The updater that runs is the file checked: one put at its path after the check is not
    // started (here while the start is under way).
    void updaterStartedAsChecked()
    {
        touch("updater.sh", "#!/bin/sh\necho checked > ran.tmp && mv ran.tmp ran.txt\n");
        touch("planted.sh", "#!/bin/sh\necho planted > ran.tmp && mv ran.tmp ran.txt\n");
        for (const char *name : {"updater.sh", "planted.sh"})
            QVERIFY(QFile::setPermissions(name, QFile::ReadOwner | QFile::ExeOwner));
        SoftwareUpdater::setStarter(
            [](const QString &program, const QStringList &arguments, const QString &dir) {
                return QFile::rename("planted.sh", "swap.sh") && QFile::remove("updater.sh") &&
                       QFile::rename("swap.sh", "updater.sh") &&
                       QProcess::startDetached(program, arguments, dir);
            });
        SoftwareUpdater updater("updater.sh", QDir::currentPath());
        QVERIFY(updater.start());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("ran.txt"), 30000);
        QCOMPARE(TestFiles::read("ran.txt"), QByteArray("checked\n"));
    }

    // The program keeps the updater path that worked, named absolutely, with the project and
    // the working directory as separate arguments; a missing updater is reported. The default
    // "updater" is the one beside the program, never one of the working directory.
    void programKeepsTheUpdaterThatWorked()
    {
        MainApp *app = MainApp::instance();
        app->setDefaultOptions();
        QVERIFY(QDir().mkpath("bin"));
        app->setProgramFiles(ProgramFiles(
            {QDir::current().absoluteFilePath("bin"), QDir::currentPath(), "", "", ""}));
        touch(SoftwareUpdater::DefaultPath); // in the working directory: not the one
        app->setOption("updater_path", "/no/such/updater");
        app->updateSoftware(); // the default path offered is not there either
        QCOMPARE(prompt->messages().value(0).title, QStringLiteral("KVL52110"));
        QCOMPARE(prompt->messages().value(0).text, WarningText);
        QVERIFY(starts.isEmpty());
        touch(QStringLiteral("bin/") + SoftwareUpdater::DefaultPath);
        app->updateSoftware();
        app->setProgramFiles(ProgramFiles::ofThisProcess());
        QCOMPARE(app->option("updater_path").toString(), QString(SoftwareUpdater::DefaultPath));
        QCOMPARE(starts.size(), 1);
        QVERIFY(starts.first().program.startsWith("/proc/self/fd/") &&
                starts.first().program.endsWith("/updater"));
        QCOMPARE(starts.first().opened,
                 QDir::current().absoluteFilePath("bin/") + SoftwareUpdater::DefaultPath);
        QCOMPARE(starts.first().arguments, QStringList({"KVL52110", QDir::currentPath()}));
        QCOMPARE(starts.first().workingDirectory, QDir::currentPath());
    }

    // A datasheet in a folder that all may write, or one that another user owns, is neither
    // opened nor kept, and the error says why.
    void datasheetOthersCanChange()
    {
        QVERIFY(QDir().mkpath("open") && ::chmod("open", 0777) == 0);
        touch("open/spec.pdf");
        touch("their.pdf");
        const bool asRoot = AsNobody::own("their.pdf");
        for (const char *name : {"open/spec.pdf", "their.pdf"}) {
            if (!asRoot && QByteArray(name) == "their.pdf")
                QSKIP("needs root and the user nobody");
            DocumentOpener opener(name);
            QCOMPARE(opener.openSpec(), QString());
            QVERIFY2(opener.errorString().startsWith("Datasheet not opened: ") &&
                         opener.errorString().endsWith("only you or root can change it."),
                     qPrintable(opener.errorString()));
        }
        QVERIFY(opened.isEmpty());
    }

    // Whatever the options say, neither the updater nor the Python interpreter starts when
    // another user owns it or can change it (here nobody, or anyone through a folder that all
    // may write); the program says why.
    void programsOthersCanChangeNotStarted()
    {
        MainApp *app = MainApp::instance();
        app->setDefaultOptions();
        QVERIFY(QDir().mkpath("shared") && ::chmod("shared", 0777) == 0);
        const QByteArray script = "#!/bin/sh\ntouch ran\n";
        for (const char *name : {"shared/program", "theirs", "shared/python3"}) {
            touch(name, script);
            QVERIFY(QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ExeOwner | QFile::ExeOther));
        }
        if (!AsNobody::own("theirs"))
            QSKIP("needs root and the user nobody");
        // A bare name is found in PATH, and judged as found there.
        const QByteArray searched = qgetenv("PATH");
        qputenv("PATH", QDir::current().absoluteFilePath("shared").toUtf8() + ":" + searched);
        app->setOption("python_path", "python3");
        QByteArray output;
        app->runPython("upper.py", "abc", &output);
        qputenv("PATH", searched);
        QVERIFY(!QFile::exists("ran"));
        // Nor is a script that another user can change, or one in a folder they may add to,
        // also where a link of the user's leads there (Python imports from the link's target).
        QVERIFY(QDir().mkpath("sticky") && ::chmod("sticky", 01777) == 0);
        touch("sticky/mine.py", "open('ran', 'w')\n");
        touch("theirs.py", "open('ran', 'w')\n");
        QVERIFY(AsNobody::own("theirs.py") && QFile::link("sticky/mine.py", "linked.py"));
        for (const char *name : {"theirs.py", "sticky/mine.py", "linked.py"}) {
            QSignalSpy logged(app, &MainApp::signal_log);
            QVERIFY(app->runPython(name, "abc", &output));
            QVERIFY(output.isEmpty() && !QFile::exists("ran"));
            QCOMPARE(logged.size(), 1);
            QVERIFY2(logged.first().last().toString().startsWith(
                         "Python script " + QDir::current().absoluteFilePath(name) +
                         " not run: " + QDir::currentPath()),
                     qPrintable(logged.first().last().toString()));
        }
        for (const char *name : {"shared/program", "theirs"}) {
            const QString path = QDir::current().absoluteFilePath(name);
            app->setOption("updater_path", path);
            app->updateSoftware();
            QVERIFY(starts.isEmpty());
            QVERIFY2(prompt->messages().last().text.startsWith("Updater not started: " +
                                                                QDir::currentPath()),
                     qPrintable(prompt->messages().last().text));
            app->setOption("python_path", path);
            QSignalSpy logged(app, &MainApp::signal_log);
            QByteArray output = "stale";
            QVERIFY(app->runPython("upper.py", "abc", &output));
            QVERIFY(output.isEmpty() && !QFile::exists("ran"));
            QCOMPARE(logged.size(), 1);
            QCOMPARE(logged.first().first().toInt(), -1);
            QVERIFY2(logged.first().last().toString().startsWith("Python interpreter " + path +
                                                                 " not started: " +
                                                                 QDir::currentPath()),
                     qPrintable(logged.first().last().toString()));
        }
    }

    // The program keeps the datasheet it opened and opens it without asking; choosing one
    // asks again although a path is kept.
    void programKeepsTheDatasheet()
    {
        MainApp *app = MainApp::instance();
        app->setDefaultOptions();
        touch("a.pdf");
        touch("b.pdf");
        prompt->queueFile("a.pdf");
        app->openSpec();
        app->openSpec();
        QCOMPARE(app->option("spec_path").toString(), QString("a.pdf"));
        QCOMPARE(prompt->fileDialogs().size(), 1);
        prompt->queueFile("b.pdf");
        app->chooseSpec();
        QCOMPARE(prompt->fileDialogs().size(), 2);
        QCOMPARE(app->option("spec_path").toString(), QString("b.pdf"));
        const auto file = [](const char *name) {
            return QUrl::fromLocalFile(QDir::current().absoluteFilePath(name));
        };
        QCOMPARE(opened, (QList<QUrl>{file("a.pdf"), file("a.pdf"), file("b.pdf")}));
    }

    // The program runs a script with the interpreter of "python_path"; one that does not
    // resolve falls back to python3 with a warning in the program's log.
    void programRunsPython()
    {
        MainApp *app = MainApp::instance();
        app->setDefaultOptions();
        app->setOption("python_path", "/no/such/python");
        touch("upper.py", "import sys\nprint(sys.argv[1].upper())\n");
        QSignalSpy logged(app, &MainApp::signal_log);
        QByteArray output;
        QVERIFY(app->runPython("upper.py", "abc", &output));
        QCOMPARE(output, QByteArray("ABC"));
        QCOMPARE(logged.size(), 1);
        QCOMPARE(logged.first().first().toInt(), 1);
    }

private:
    static void touch(const QString &name, const QByteArray &bytes = QByteArray())
    {
        QVERIFY(TestFiles::write(name, bytes));
    }

    std::unique_ptr<RecordingPrompt> prompt;
    QList<QUrl> opened;
    bool openResult = true;
    struct Start {
        QString program, workingDirectory;
        QStringList arguments;
        QString opened; // the file that program names as it starts
    };
    QList<Start> starts;
};

QTEST_MAIN(TestExternalPrograms)
#include "tst_externalprograms.moc"
