// Whether another user can change a path or the way to it: folders of another user's or open
// to others' writing, links of another user's or leading into such folders, found on the way
// and named; sticky folders, the user's own links and missing parts pass.
#include "pathtrust.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

class TestPathTrust : public QObject
{
    Q_OBJECT

    QTemporaryDir temp;
    uid_t nobody = 0;
    gid_t nobodysGroup = 0;

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
        QVERIFY(file("own/inner/file", 0600) && file("own/shared", 0666));
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
        QTest::addColumn<bool>("needsNobody");
        const auto row = [](const char *name, bool whole, const QString &path, const QString &found,
                            bool needsNobody = false) {
            QTest::newRow(name) << whole << path << found << needsNobody;
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
            true);
        row("private group folder", true, "private", "", true);
        row("another user's folder", false, "theirs/inner/x", theirs, true);
        row("another user's sticky folder", false, "stickytheirs/x",
            "%T/stickytheirs belongs to another user (uid %N)", true);
        row("link into another user's folder", false, "own/into/x", theirs, true);
        row("another user's link", false, "own/planted/file",
            "%T/own/planted is a link that belongs to another user (uid %N)", true);
        row("another user's file", true, "own/inner/theirs",
            "%T/own/inner/theirs belongs to another user (uid %N)", true);
        row("link at the end followed", true, "own/tofile", theirs, true);
        row("link at the end not followed", false, "own/tofile", "", true);
    }
    void checks()
    {
        QFETCH(bool, whole);
        QFETCH(QString, path);
        QFETCH(QString, found);
        QFETCH(bool, needsNobody);
        if (needsNobody && !nobody)
            QSKIP("needs root to make another user's places");
        const PathTrust::Finding finding =
            whole ? PathTrust::check(at(path)) : PathTrust::checkWay(at(path));
        QCOMPARE(finding.isClear(), found.isEmpty());
        QCOMPARE(finding.isClear() ? QString() : finding.text(),
                 QString(found).replace("%T", temp.path()).replace("%N", QString::number(nobody)));
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
