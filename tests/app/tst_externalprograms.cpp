#include "documentopener.h"
#include "mainapp.h"
#include "recordingprompt.h"
#include "softwareupdater.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

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
        openResult = true;
        starts.clear();
        startResult = true;
        DocumentOpener::setUrlOpener([this](const QUrl &url) {
            opened.append(url);
            return openResult;
        });
        SoftwareUpdater::setStarter(
            [this](const QString &program, const QStringList &arguments, const QString &dir) {
                starts.append({program, arguments, dir});
                return startResult;
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
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(QDir::current().absoluteFilePath(AwkwardName))});
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
    }

    void updaterGetsItsArgumentsSeparately()
    {
        touch("my updater");
        SoftwareUpdater updater(QStringLiteral("my updater"));
        QVERIFY(updater.start());
        QCOMPARE(starts.size(), 1);
        QCOMPARE(starts.first().program, QDir::current().absoluteFilePath("my updater"));
        QCOMPARE(starts.first().arguments, QStringList({"KVL52110", QDir::currentPath()}));
        QCOMPARE(starts.first().workingDirectory, QDir::currentPath());
        QVERIFY(prompt->messages().isEmpty());
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
        SoftwareUpdater updater(script);
        QVERIFY(updater.start());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("args.txt"), 30000);
        QCOMPARE(QString::fromUtf8(TestFiles::read("args.txt")),
                 QStringLiteral("2|KVL52110|%1|").arg(QDir::currentPath()));
    }

    // MainApp: "spec_path" and "updater_path" keep what was opened or started; "File" always asks.
    void programKeepsThePathsThatWorked()
    {
        MainApp *app = MainApp::instance();
        app->setDefaultOptions();
        touch("spec.pdf");
        touch("other.pdf");
        app->setOption("spec_path", "spec.pdf");
        app->openSpec();
        QVERIFY(prompt->fileDialogs().isEmpty());
        QCOMPARE(opened.size(), 1);

        prompt->queueFile("other.pdf");
        app->chooseSpec(); // asks although spec.pdf is there
        QCOMPARE(prompt->fileDialogs().size(), 1);
        QCOMPARE(app->option("spec_path").toString(), QStringLiteral("other.pdf"));
        QCOMPARE(opened.size(), 2);
        app->chooseSpec(); // cancelled: no datasheet any more
        QCOMPARE(app->option("spec_path").toString(), QString());
        QCOMPARE(opened.size(), 2);

        app->setOption("updater_path", "/no/such/updater");
        app->updateSoftware(); // the default path offered is not there either
        QCOMPARE(app->option("updater_path").toString(), QStringLiteral("/no/such/updater"));
        QCOMPARE(prompt->messages().size(), 1);
        QCOMPARE(prompt->messages().first().title, QStringLiteral("KVL52110"));
        QCOMPARE(prompt->messages().first().text, WarningText);
        QCOMPARE(int(prompt->messages().first().icon), int(Prompt::Warning));
        QVERIFY(starts.isEmpty());
        touch(SoftwareUpdater::DefaultPath);
        app->updateSoftware(); // now it is, and it is started from there
        QCOMPARE(app->option("updater_path").toString(),
                 QString::fromLatin1(SoftwareUpdater::DefaultPath));
        QCOMPARE(starts.size(), 1);
        QCOMPARE(starts.first().program,
                 QDir::current().absoluteFilePath(SoftwareUpdater::DefaultPath));
        QFile::remove(SoftwareUpdater::DefaultPath);
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
        QString program;
        QStringList arguments;
        QString workingDirectory;
    };
    QList<Start> starts;
    bool startResult = true;
};

QTEST_MAIN(TestExternalPrograms)
#include "tst_externalprograms.moc"
