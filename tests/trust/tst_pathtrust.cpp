// Whether another user can change a path or the way to it: folders of another user's or open
// to others' writing (through the mode or an ACL entry), links of another user's or leading
// into such folders, found on the way and named; sticky folders, the user's own links and
// missing parts pass. A file opened through the checked folder is a regular file with one name.
#include "checkedfolder.h"
#include "checkedprogram.h"
#include "inchild.h"
#include "pathtrust.h"
#include "posixacl.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// What a row needs made first: another user's places (root), or ACLs (a file system with them).
enum Needs { Nothing, Nobody, Acls };

class TestPathTrust : public QObject
{
    Q_OBJECT

    QTemporaryDir temp;
    uid_t nobody = 0;
    gid_t nobodysGroup = 0;
    bool acls = false;

    QString at(const QString &relative) const { return temp.path() + "/" + relative; }
    bool folder(const QString &relative, mode_t mode, uid_t owner = 0, gid_t group = 0)
    {
        const QByteArray path = QFile::encodeName(at(relative));
        return QDir().mkpath(at(relative)) && ::chmod(path.constData(), mode) == 0 &&
               ((owner == 0 && group == 0) || ::chown(path.constData(), owner, group) == 0);
    }
    bool link(const QString &relative, const QString &target, uid_t owner = 0)
    {
        const QByteArray path = QFile::encodeName(at(relative));
        return ::symlink(QFile::encodeName(target).constData(), path.constData()) == 0 &&
               (owner == 0 || ::lchown(path.constData(), owner, 0) == 0);
    }
    bool file(const QString &relative, mode_t mode, uid_t owner = 0)
    {
        const QByteArray path = QFile::encodeName(at(relative));
        return QFile(at(relative)).open(QIODevice::WriteOnly) &&
               ::chmod(path.constData(), mode) == 0 &&
               (owner == 0 || ::chown(path.constData(), owner, 0) == 0);
    }

private slots:
    // Another user's places need root to make; as another user the test makes its own only.
    void initTestCase()
    {
        QVERIFY(temp.isValid());
        const passwd *account = ::getpwnam("nobody");
        if (::geteuid() == 0 && account) {
            nobody = account->pw_uid;
            nobodysGroup = account->pw_gid;
        }
        QVERIFY(folder("own/inner", 0700) && folder("open", 0777) && folder("sticky", 01777) &&
                folder("sticky/inner", 0700));
        QVERIFY(file("own/inner/file", 0600) && file("own/shared", 0666) &&
                file("own/inner/linked", 0600) && file("own/inner/aclfile", 0600));
        QVERIFY(::link(QFile::encodeName(at("own/inner/linked")).constData(),
                       QFile::encodeName(at("own/inner/twin")).constData()) == 0 &&
                ::mkfifo(QFile::encodeName(at("own/inner/fifo")).constData(), 0600) == 0 &&
                link("own/inner/alias", "file"));
        QVERIFY(folder("acluser", 0700) && folder("aclgroup", 0700) && folder("aclown", 0700) &&
                folder("aclmasked", 0700));
        using namespace PosixAcl;
        acls = grant(at("acluser"), User, 4242, 7) && grant(at("aclgroup"), Group, 4242, 7) &&
               grant(at("aclown"), User, ::geteuid(), 7) &&
               grant(at("aclmasked"), User, 4242, 7, 5) &&
               grant(at("own/inner/aclfile"), User, 4242, 6);
        QVERIFY(link("own/link", "inner") && link("own/up", "../open/x") &&
                link("loop1", at("loop2")) && link("loop2", "loop1") && link("own/root", "/"));
        if (nobody) {
            // root's group is root's alone; nobody's is another's
            QVERIFY(folder("group", 0770, 0, nobodysGroup) && folder("private", 0770) &&
                    folder("theirs", 0755, nobody) && folder("theirs/inner", 0755) &&
                    folder("stickytheirs", 01777, nobody));
            QVERIFY(link("own/into", at("theirs/inner")) && link("own/planted", "inner", nobody) &&
                    file("own/inner/theirs", 0600, nobody) &&
                    link("own/tofile", at("theirs/inner/file")) && file("theirs/inner/file", 0600));
        }
    }

    void checks_data()
    {
        QTest::addColumn<bool>("whole"); // check the path itself too
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("found"); // %T is the test's folder
        QTest::addColumn<int>("needs");
        QTest::addColumn<bool>("open"); // then open it through its checked folder
        const auto row = [](const char *name, bool whole, const QString &path, const QString &found,
                            Needs needs = Nothing, bool open = false) {
            QTest::newRow(name) << whole << path << found << int(needs) << open;
        };
        row("own folders", true, "own/inner/file", "");
        row("missing parts", true, "own/none/more/file", "");
        row("own link", true, "own/link/file", "");
        row("end not checked", false, "own/shared", "");
        row("file open to others", true, "own/shared",
            "%T/own/shared is writable by other users (mode 0666)");
        row("open folder", false, "open/x", "%T/open is writable by other users (mode 0777)");

        row("sticky folder on the way", true, "sticky/inner", "");
        row("made first by others", true, "sticky/none",
            "%T/sticky lets other users make none first");
        row("made by the program", false, "sticky/none", "");
        row("sticky folder at the end", true, "sticky",
            "%T/sticky is writable by other users (mode 1777)");
        row("link leads up and out", false, "own/up/file",
            "%T/open is writable by other users (mode 0777)");
        row("link to root", true, "own/root", "");
        row("dot-dot at the end", true, "own/inner/..", "");
        row("dot at the end", true, "sticky/.", "%T/sticky is writable by other users (mode 1777)");
        row("dot-dot into an open folder", true, "own/../open/.",
            "%T/open is writable by other users (mode 0777)");
        row("link loop", false, "loop1/x", "%T/loop1 leads through more than 40 links");
        const QString theirs = "%T/theirs belongs to another user (uid %N)";
        row("group folder", false, "group/x", "%T/group is writable by other users (mode 0770)",
            Nobody);
        row("private group folder", true, "private", "", Nobody);
        row("another user's folder", false, "theirs/inner/x", theirs, Nobody);
        row("another user's sticky folder", false, "stickytheirs/x",
            "%T/stickytheirs belongs to another user (uid %N)", Nobody);
        row("link into another user's folder", false, "own/into/x", theirs, Nobody);
        row("another user's link", false, "own/planted/file",
            "%T/own/planted is a link that belongs to another user (uid %N)", Nobody);
        row("another user's file", true, "own/inner/theirs",
            "%T/own/inner/theirs belongs to another user (uid %N)", Nobody);
        row("link at the end followed", true, "own/tofile", theirs, Nobody);
        row("link at the end not followed", false, "own/tofile", "", Nobody);

        const QString acl = " is writable by other users through its ACL (%1 4242)";
        row("ACL user entry", false, "acluser/x", "%T/acluser" + acl.arg("uid"), Acls);
        row("ACL group entry", false, "aclgroup/x", "%T/aclgroup" + acl.arg("gid"), Acls);
        row("ACL entry of the file", true, "own/inner/aclfile",
            "%T/own/inner/aclfile" + acl.arg("uid"), Acls);
        row("ACL entry of the user", true, "aclown", "", Acls);
        row("ACL entry masked", true, "aclmasked", "", Acls);
        row("own file opened", true, "own/inner/file", "", Nothing, true);
        row("own link at the name opened", true, "own/inner/alias", "", Nothing, true);
        row("hard link", true, "own/inner/twin",
            "%T/own/inner/twin has 2 links: another name leads to it too", Nothing, true);
        row("FIFO", true, "own/inner/fifo", "%T/own/inner/fifo is not a regular file", Nothing,
            true);
    }
    void checks()
    {
        QFETCH(bool, whole);
        QFETCH(QString, path);
        QFETCH(QString, found);
        QFETCH(int, needs);
        QFETCH(bool, open);
        if (needs == Nobody && !nobody)
            QSKIP("needs root to make another user's places");
        if (needs == Acls && !acls)
            QSKIP("needs a file system with ACLs");
        const PathTrust::Finding finding =
            whole ? PathTrust::check(at(path)) : PathTrust::checkWay(at(path));
        QString text = finding.text();
        QCOMPARE(finding.isClear(), text.isEmpty());
        if (open && text.isEmpty()) {
            QString name;
            const int opened =
                CheckedFolder::holding(at(path), &name).openFile(name, O_RDONLY, &text);
            QCOMPARE(opened >= 0, text.isEmpty());
            if (opened >= 0)
                ::close(opened);
        }
        QCOMPARE(text,
                 QString(found).replace("%T", temp.path()).replace("%N", QString::number(nobody)));
    }

    // A group is the user's private group only while no other account has it, as a member or as
    // its primary group: here one more account in the user database, seen in a mount namespace
    // of the test's own.
    void secondAccountOfThePrivateGroup()
    {
        if (!nobody)
            QSKIP("needs root to make another user's places");
        QByteArray accounts = TestFiles::read("/etc/passwd");
        accounts += "mate:x:4243:" + QByteArray::number(::getpwuid(::geteuid())->pw_gid) +
                    "::/nonexistent:/bin/false\n";
        QVERIFY(TestFiles::write(at("passwd"), accounts));
        const QByteArray copy = QFile::encodeName(at("passwd"));
        const QByteArray found = InChild::run(
            [&copy]() {
                return ::unshare(CLONE_NEWNS) == 0 &&
                       ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                       ::mount(copy.constData(), "/etc/passwd", nullptr, MS_BIND, nullptr) == 0;
            },
            [this]() { return PathTrust::check(at("private")).text().toUtf8(); });
        if (found == "child failed: exit 2")
            QSKIP("needs a mount namespace of its own");
        QCOMPARE(found, at("private").toUtf8() + " is writable by other users (mode 0770)");
    }

    // Files are opened through the folder that was checked, whatever is put at its path meanwhile
    // (here a link to a folder that all may write): read and replaced there.
    void swappedFolder()
    {
        QVERIFY(folder("swap", 0700) && TestFiles::write(at("swap/file"), "checked"));
        const CheckedFolder checked(at("swap"));
        QVERIFY(checked.isOpen());
        QVERIFY(QDir().rename(at("swap"), at("swapped")) && link("swap", at("open")) &&
                TestFiles::write(at("open/file"), "planted"));
        QString error;
        QFile file;
        QVERIFY(file.open(checked.openFile("file", O_RDONLY, &error), QIODevice::ReadOnly,
                          QFileDevice::AutoCloseHandle));
        QCOMPARE(file.readAll(), QByteArray("checked"));
        QVERIFY(checked.replaceFile("file", "replaced", &error));
        QCOMPARE(TestFiles::read(at("swapped/file")), QByteArray("replaced"));
        QCOMPARE(TestFiles::read(at("open/file")), QByteArray("planted"));
        QCOMPARE(QDir(at("swapped")).entryList(QDir::Files), QStringList("file"));
    }

    // The checked folder opens no file through a link at its name, to read or to append, even
    // one to a file of the user's beside it.
    void linkAtTheNameNotFollowed()
    {
        const CheckedFolder inner(at("own/inner"));
        for (const int flags : {O_RDONLY, O_WRONLY | O_APPEND | O_CREAT}) {
            QString error;
            QCOMPARE(inner.openFile("alias", flags, &error), -1);
            QCOMPARE(error, at("own/inner/alias") + " is a link, not followed");
            QCOMPARE(inner.openProgram("alias", &error), -1);
        }
    }

    // A folder is judged again once open: here a path whose check cannot see what it opens, a
    // descriptor's link to a folder all may write, removed meanwhile (the link names a path
    // that no longer exists, in a folder of the user's).
    void folderJudgedAsOpened()
    {
        QVERIFY(folder("own/gone", 0777) && ::chmod(qPrintable(at("own/gone")), 0777) == 0);
        const int kept = ::open(qPrintable(at("own/gone")), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(kept >= 0 && ::rmdir(qPrintable(at("own/gone"))) == 0);
        const QString path = QStringLiteral("/proc/self/fd/%1").arg(kept);
        const bool seen = PathTrust::check(path).isClear();
        const CheckedFolder opened(path);
        ::close(kept);
        if (!seen)
            QSKIP("the check of this system's /proc sees the folder");
        QVERIFY(!opened.isOpen());
        QCOMPARE(opened.error(), path + " is writable by other users (mode 0777)");
    }

    // A program is started from the file checked and opened: what is put at its path after
    // the check is not what runs, and the path the starter gets names the opened file.
    void programStartedFromTheFileChecked()
    {
        QVERIFY(file("own/inner/program", 0700) &&
                TestFiles::write(at("own/inner/program"), "#!/bin/sh\necho checked \"$#\"\n"));
        QVERIFY(TestFiles::write(at("own/inner/planted"), "#!/bin/sh\necho planted\n") &&
                ::chmod(qPrintable(at("own/inner/planted")), 0700) == 0);
        const QDir temporary(QDir::tempPath());
        const QStringList links{"kvl52110-*"};
        auto program = std::make_unique<CheckedProgram>(at("own/link/program")); // a user's link
        QVERIFY2(program->isOpen(), qPrintable(program->error()));
        QVERIFY(::rename(qPrintable(at("own/inner/planted")),
                         qPrintable(at("own/inner/program"))) == 0);
        QProcess process;
        QString named;
        QVERIFY(program->start([&](const QString &path) {
            named = path;
            process.start(path, {"one", "two"});
            return true;
        }));
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.readAllStandardOutput(), QByteArray("checked 2\n"));
        QVERIFY2(named.startsWith("/proc/self/fd/") && named.endsWith("/program"),
                 qPrintable(named));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(temporary.entryList(links, QDir::Dirs).size(), 1); // the link's private folder
        program.reset();
        QVERIFY(temporary.entryList(links, QDir::Dirs).isEmpty()); // gone with the program
    }

    // A program missing, or one that the check or the opened file's judgement refuses, starts
    // nothing.
    void programNotStarted_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("refused");
        QTest::newRow("missing") << "own/inner/none"
                                 << "%T/own/inner/none cannot be opened (No such file or directory)"
                                 << false;
        QTest::newRow("no path") << ""
                                 << "no file is named" << false;
        QTest::newRow("FIFO") << "own/inner/fifo"
                              << "%T/own/inner/fifo is not a regular file" << false;
        QTest::newRow("open to others")
            << "own/shared"
            << "%T/own/shared is writable by other users (mode 0666)" << true;
    }
    void programNotStarted()
    {
        QFETCH(QString, path);
        QFETCH(QString, error);
        QFETCH(bool, refused);
        CheckedProgram program(path.isEmpty() ? path : at(path));
        QVERIFY(!program.isOpen());
        QCOMPARE(program.error(), QString(error).replace("%T", temp.path()));
        QCOMPARE(program.refused(), refused);
        bool called = false;
        QVERIFY(!program.start([&called](const QString &) { return called = true; }));
        QVERIFY(!called);
    }

    // A relative path starts in the working folder.
    void relativePath()
    {
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(at("own")));
        const PathTrust::Finding clear = PathTrust::check("inner/file");
        const PathTrust::Finding open = PathTrust::checkWay("../open/x");
        QVERIFY(QDir::setCurrent(before));
        QVERIFY(clear.isClear());
        QCOMPARE(open.step, at("open"));
    }
};

QTEST_MAIN(TestPathTrust)
#include "tst_pathtrust.moc"
