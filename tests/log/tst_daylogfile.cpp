// The day's log file of the log window inside a started shell: appended to line by line while
// ticked, the user's alone, whole lines only on a full disk, and in an installed program's state
// folder.
#include "tst_shellfixture.h"

#include "asnobody.h"
#include "htmllistbox.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "programfiles.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

class TestDayLogFile : public QObject
{
    Q_OBJECT

private slots:
    // The errors these functions log beep on no horn; the probe of the serial ports ends before
    // the first function, so no line of it lands among a function's own.
    void initTestCase()
    {
        app = MainApp::instance();
        app->setPortProbe([]() { return QStringList{"mockup"}; });
        QVERIFY(app->init());
        app->start();
        QTRY_VERIFY_WITH_TIMEOUT(app->mainWindow()->portList()->count() > 0, 60000);
        logs = app->logs();
        logs->hornButton()->setChecked(false);
    }

    void cleanupTestCase() { app->shutdown(); }

    // The day's file is appended to, flushed per line, in Latin-1, only while switched on.
    void logFile()
    {
        const QString name = logs->saveLogBox()->text();
        QVERIFY(TestFiles::write(name, "old\n"));
        logs->saveLogBox()->setChecked(true);
        app->setLogComm(true);
        logs->slot_addLog(5, "abc");
        QCOMPARE(TestFiles::read(name), QByteArray("old\nC(5)  ::: abc \n"));
        app->setLogComm(false);
        logs->slot_addLog(0, "not shown, not written");
        logs->slot_addLog(-2, QString::fromUtf8("caf\u00e9 <b>"));
        logs->saveLogBox()->setChecked(false);
        logs->slot_addLog(-3, "while off");
        logs->saveLogBox()->setChecked(true); // reopened for appending
        logs->slot_addLog(-4, "again %1");
        logs->saveLogBox()->setChecked(false);
        QCOMPARE(TestFiles::read(name), QByteArray("old\nC(5)  ::: abc \nC(-2)  ::: caf\xe9 <b> \n"
                                                   "C(-4)  ::: again %1 \n"));
    }

    // The day's file is the user's alone, whatever it was; a link that another user put at its
    // name (here to a file of ours) is not written through, and the log says so.
    void logFileIsTheUsersAlone()
    {
        const QString name = logs->saveLogBox()->text();
        QVERIFY(TestFiles::write(name, "old\n"));
        logs->saveLogBox()->setChecked(true);
        logs->saveLogBox()->setChecked(false);
        QCOMPARE(QFileInfo(name).permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
        QVERIFY(QFile::remove(name) && QDir().mkdir(name)); // a file that cannot be opened
        const int before = logs->errors();
        logs->saveLogBox()->setChecked(true);
        QVERIFY(!logs->saveLogBox()->isChecked()); // it writes nothing, so it is not ticked
        QCOMPARE(logs->errors(), before + 1);
        // A FIFO at the name is not waited for; a file of the user's that has another name too
        // (a hard link) is neither appended to nor made the user's alone.
        QVERIFY(QDir().rmdir(name) && ::mkfifo(QFile::encodeName(name).constData(), 0600) == 0);
        logs->saveLogBox()->setChecked(true);
        logs->saveLogBox()->setChecked(false);
        QVERIFY(QFile::remove(name) && TestFiles::write("twin", "kept\n") &&
                ::chmod("twin", 0644) == 0 &&
                ::link("twin", QFile::encodeName(name).constData()) == 0);
        logs->saveLogBox()->setChecked(true);
        logs->slot_addLog(-5, "not into another name");
        logs->saveLogBox()->setChecked(false);
        QCOMPARE(TestFiles::read("twin"), QByteArray("kept\n"));
        QCOMPARE(QFileInfo("twin").permissions() & 0x0777,
                 QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
        QCOMPARE(logs->errors(), before + 4);
        QVERIFY(QFile::remove(name) && TestFiles::write("ours", "mine\n"));
        QVERIFY(QFile::link("ours", name));
        if (!AsNobody::own(name))
            QSKIP("needs root and the user nobody");
        const int errors = logs->errors();
        logs->saveLogBox()->setChecked(true);
        logs->slot_addLog(-5, "not through the link");
        logs->saveLogBox()->setChecked(false);
        QVERIFY(QFile::remove(name));
        QCOMPARE(TestFiles::read("ours"), QByteArray("mine\n"));
        QCOMPARE(logs->errors(), errors + 2);
    }

    // On a full disk (a small file system of the test's own) the day's file keeps whole lines
    // only: a write that fails is taken back, told once as an error, and the first write that
    // works again puts a line before it saying how many entries are missing, since when.
    void logFileOnAFullDisk()
    {
        if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            QSKIP("mounts a small file system of its own: needs root");
        const QString small = QDir::current().absoluteFilePath("small");
        QVERIFY(QDir().mkdir(small) &&
                ::mount("kvl", QFile::encodeName(small), "tmpfs", 0, "size=64k,mode=0700") == 0);
        app->setProgramFiles(ProgramFiles({small + "/bin", small, small + "/home", "", ""}));
        const QString day = small + "/" + logs->saveLogBox()->text();
        logs->saveLogBox()->setChecked(true);
        app->setLogComm(true);
        const auto restore = qScopeGuard([&]() {
            app->setLogComm(false);
            logs->saveLogBox()->setChecked(false);
            app->setProgramFiles(ProgramFiles::ofThisProcess());
            ::umount2(QFile::encodeName(small), MNT_DETACH);
        });
        logs->slot_addLog(5, "first");
        QFile filler(small + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(1024, 'f')) > 0) {
        }
        const int errors = logs->errors();
        logs->slot_addLog(5, QString(5000, 'x')); // more than the room left in the file's page
        logs->slot_addLog(5, "lost too");
        QCOMPARE(TestFiles::read(day), QByteArray("C(5)  ::: first \n"));
        QCOMPARE(logs->errors(), errors + 1);
        const auto listed = [this](const QString &text) {
            for (int row = 0; row < logs->list()->count(); ++row) {
                if (logs->list()->lineText(row).contains(text))
                    return true;
            }
            return false;
        };
        QVERIFY(listed("Cannot write " + day + ": No space left on device; the entries from "));
        // The note over the list (shown once rows have left it) says where its old lines go.
        auto *note = logs->findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(note->text().endsWith("The day's log file cannot be written: they are lost."));
        QVERIFY(filler.remove());
        logs->slot_addLog(5, "back");
        QVERIFY(note->text().endsWith("The day's log file keeps every line listed since it was "
                                      "ticked."));
        const QByteArray written = TestFiles::read(day);
        static const QRegularExpression resumed(
            "^C\\(5\\)  ::: first \n"
            "C\\(1\\)  ::: The day's log resumes here: 3 entries from \\d\\d:\\d\\d:\\d\\d on "
            "could not be written \\(No space left on device\\) \n"
            "C\\(5\\)  ::: back \n"
            "C\\(0\\)  ::: .* is written again \n$");
        QVERIFY2(resumed.match(QString::fromLatin1(written)).hasMatch(), written.constData());
        QVERIFY(listed(day + " is written again"));
        // Writes that fail on a disk with room (over a quota, here the file size limit) are
        // told once too, however many entries follow.
        rlimit limit{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &limit) == 0);
        const rlimit reached{rlim_t(QFileInfo(day).size()), limit.rlim_max};
        const auto previous = ::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &reached) == 0);
        logs->slot_addLog(5, "over the limit");
        logs->slot_addLog(5, "over it too");
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, previous);
        QCOMPARE(logs->errors(), errors + 2);
        logs->slot_addLog(5, "under it again");
        QVERIFY(TestFiles::read(day).contains(" ::: under it again \n"));
    }

    // An installed program started in a folder of no bench writes the day's file into its
    // state folder, and the working directory gets nothing.
    void logFileOfInstalledProgram()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir().mkpath(root.filePath("bin")) &&
                QDir().mkpath(root.filePath("share/kvl52110")) &&
                QDir().mkpath(root.filePath("work")));
        app->setProgramFiles(ProgramFiles({root.filePath("bin"), root.filePath("work"),
                                           root.filePath("home"), "", root.filePath("state")}));
        const QString name = logs->saveLogBox()->text();
        logs->saveLogBox()->setChecked(true);
        app->setLogComm(true);
        logs->slot_addLog(5, "kept");
        app->setLogComm(false);
        logs->saveLogBox()->setChecked(false);
        app->setProgramFiles(ProgramFiles::ofThisProcess());
        QCOMPARE(TestFiles::read(root.filePath("state/kvl52110/" + name)),
                 QByteArray("C(5)  ::: kept \n"));
        QVERIFY(QDir(root.filePath("work")).isEmpty());
    }

private:
    MainApp *app = nullptr;
    Logs *logs = nullptr;
    ShellPrompt prompt;
};

QTEST_MAIN(TestDayLogFile)
#include "tst_daylogfile.moc"
