// The private folder that a checked program is started through: of mode 0700 exactly or not
// used at all, held while its program is; and the folders that killed runs left, removed at a
// start, and nothing else.
#include "asnobody.h"
#include "checkedprogram.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <sys/stat.h>

class TestCheckedProgram : public QObject
{
    Q_OBJECT

    const QString temp = QDir::current().absoluteFilePath("temp");

    // A folder in the temporary folder, of the mode given, holding a link as a start leaves it
    // (unless link is empty).
    bool folder(const QString &name, mode_t mode, const QString &link = QString())
    {
        const QByteArray path = QFile::encodeName(temp + "/" + name);
        return ::mkdir(path, 0700) == 0 && ::chmod(path, mode) == 0 &&
               (link.isEmpty() || QFile::link("/proc/self/fd/9", temp + "/" + name + link));
    }

    QStringList inTemp() const
    {
        return QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                    QDir::Name);
    }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", QFile::encodeName(temp));
        QVERIFY(TestFiles::write("tool", "#!/bin/sh\n"));
        QVERIFY(QFile::setPermissions("tool", QFile::ReadOwner | QFile::ExeOwner));
    }

    // A folder that comes out of another mode than 0700 (here set-group-ID, as the temporary
    // folder is) is not used: the program is started through its descriptor alone.
    void folderOfOnlyTheUser()
    {
        QVERIFY(QDir().mkdir(temp) && ::chmod(QFile::encodeName(temp), 02700) == 0);
        CheckedProgram program(QDir::current().absoluteFilePath("tool"));
        QString started;
        QVERIFY(program.start([&](const QString &path) { return started = path, true; }));
        QVERIFY2(QRegularExpression("^/proc/self/fd/\\d+$").match(started).hasMatch(),
                 qPrintable(started));
        QCOMPARE(inTemp(), QStringList());
        QVERIFY(::chmod(QFile::encodeName(temp), 0700) == 0);
        QVERIFY(program.start([&](const QString &path) { return started = path, true; }));
        QVERIFY2(QRegularExpression("^/proc/self/fd/\\d+/tool$").match(started).hasMatch(),
                 qPrintable(started));
    }

    // The folders left by killed runs of the user's go, empty or holding their link; not one
    // that a program holds, one of another mode or holding anything else, a link, nor another
    // user's.
    void staleFoldersRemoved()
    {
        CheckedProgram running(QDir::current().absoluteFilePath("tool"));
        const auto started = [](const QString &) { return true; };
        QVERIFY(running.start(started) && running.start(started)); // one folder, the latest
        const QStringList inUse = inTemp();
        QCOMPARE(inUse.size(), 1);
        QVERIFY(folder("kvl52110-Stale1", 0700, "/python3") && folder("kvl52110-Stale2", 0700));
        QVERIFY(folder("kvl52110-Open01", 0755, "/python3") && folder("kvl52110-Filed1", 0700) &&
                TestFiles::write(temp + "/kvl52110-Filed1/notes", "kept\n") &&
                folder("kept", 0700, "/python3") &&
                QFile::link(temp + "/kept", temp + "/kvl52110-Linked"));
        const bool theirs =
            folder("kvl52110-Theirs", 0700) && AsNobody::own(temp + "/kvl52110-Theirs");
        CheckedProgram::removeStaleFolders();
        QStringList left =
            QStringList{"kept", "kvl52110-Filed1", "kvl52110-Linked", "kvl52110-Open01"} + inUse;
        if (theirs)
            left.append("kvl52110-Theirs");
        left.sort();
        QCOMPARE(inTemp(), left);
        QVERIFY(QFileInfo(temp + "/kept/python3").isSymLink());
    }
};

QTEST_MAIN(TestCheckedProgram)
#include "tst_checkedprogram.moc"
