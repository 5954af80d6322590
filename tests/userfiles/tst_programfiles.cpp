// Where the program reads its shipped data and writes its options, window state and logs: all
// in the working directory when it runs from its build tree; installed, in the user's XDG
// folders unless the working directory is a bench's own folder; never where another user (here
// nobody) can change them, and in folders that only the user can read.
#include "asnobody.h"
#include "posixacl.h"
#include "programfiles.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// The permission bits of a file or folder, -1 when it is missing.
static int mode(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777)
                                                                    : -1;
}

class TestProgramFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;

    QString path(const QString &relative) const { return m_root.filePath(relative); }

    // The places of a program in prefix/bin, started in work, with HOME at home.
    ProgramFiles files(const QString &configHome = QString(),
                       const QString &stateHome = QString()) const
    {
        return ProgramFiles(
            {path("prefix/bin"), path("work"), path("home"), configHome, stateHome});
    }

    void install() { QVERIFY(QDir().mkpath(path("prefix/share/kvl52110/configuration"))); }

private slots:
    void init()
    {
        QVERIFY(m_root.isValid());
        for (const char *folder : {"prefix", "work", "home"}) {
            QDir(path(folder)).removeRecursively();
            QVERIFY(QDir().mkpath(path(folder)));
        }
        QVERIFY(QDir().mkpath(path("prefix/bin")));
    }

    // Without the data folder beside the program, everything stays in the working directory
    // and no folder of the user's is made.
    void buildTree()
    {
        const ProgramFiles f = files();
        QVERIFY(!f.isInstalled());
        QCOMPARE(f.dataDir(), path("prefix/share/kvl52110"));
        QVERIFY(QDir().mkpath(path("prefix/share")));
        QVERIFY(TestFiles::write(path("prefix/share/kvl52110"))); // a file, not the folder
        QVERIFY(!f.isInstalled());
        QCOMPARE(f.configFile("options.ini"), path("work/options.ini"));
        QCOMPARE(f.stateFile("KVL52110.state"), path("work/KVL52110.state"));
        QCOMPARE(f.dataPath("configuration/a.txt"), path("work/configuration/a.txt"));
        QVERIFY(QDir(path("home")).isEmpty());
    }

    // Installed, from an empty folder: options under the configuration home, state and logs
    // under the state home; XDG variables count only as absolute paths.
    void userFolders_data()
    {
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<QString>("stateHome");
        QTest::addColumn<QString>("configDir");
        QTest::addColumn<QString>("stateDir");
        QTest::addColumn<QStringList>("passed"); // what the log is told was passed over
        const QString relative = "%1 is passed over: it is no absolute path";
        // clang-format off
        QTest::newRow("defaults") << "" << "" << "home/.config" << "home/.local/state"
                                  << QStringList();
        QTest::newRow("set") << path("cfg") << path("st") << "cfg" << "st" << QStringList();
        QTest::newRow("relative") << "cfg" << "st" << "home/.config" << "home/.local/state"
                                  << QStringList{relative.arg("XDG_CONFIG_HOME cfg"),
                                                 relative.arg("XDG_STATE_HOME st")};
        // clang-format on
    }
    void userFolders()
    {
        QFETCH(QString, configHome);
        QFETCH(QString, stateHome);
        QFETCH(QString, configDir);
        QFETCH(QString, stateDir);
        QFETCH(QStringList, passed);
        install();
        const ProgramFiles f = files(configHome, stateHome);
        QVERIFY(f.isInstalled());
        QCOMPARE(f.configFolder(), path(configDir + "/kvl52110")); // nothing made yet
        QVERIFY(!QFileInfo::exists(f.configFolder()));
        QCOMPARE(f.passedOver(), passed);
        QCOMPARE(f.configFile("options.ini"), path(configDir + "/kvl52110/options.ini"));
        QCOMPARE(f.stateFile("KVL52110.state"), path(stateDir + "/kvl52110/KVL52110.state"));
        QCOMPARE(f.stateFile("20261208.log"), path(stateDir + "/kvl52110/20261208.log"));
        // The folders are there to be written into, for the user alone, as is a base folder made
        // for them; the working directory stays empty.
        QCOMPARE(mode(path(configDir + "/kvl52110")), 0700);
        QCOMPARE(mode(path(stateDir + "/kvl52110")), 0700);
        QCOMPARE(mode(path(stateDir)), 0700);
        QVERIFY(QDir(path("work")).isEmpty());
        QDir(path("cfg")).removeRecursively();
        QDir(path("st")).removeRecursively();
    }

    // A working directory holding the options or a window state keeps every file there.
    void benchFolder_data()
    {
        QTest::addColumn<QString>("held");
        QTest::newRow("options") << "options.ini";
        QTest::newRow("state") << "KVL52110.state";
    }
    void benchFolder()
    {
        QFETCH(QString, held);
        install();
        QVERIFY(TestFiles::write(path("work/" + held)));
        const ProgramFiles f = files();
        QCOMPARE(f.configFile("options.ini"), path("work/options.ini"));
        QCOMPARE(f.stateFile("KVL52110.state"), path("work/KVL52110.state"));
        QCOMPARE(f.stateFile("20261208.log"), path("work/20261208.log"));
        QVERIFY(QDir(path("home")).isEmpty());
    }

    // A program of another name writes into a folder of its own (made for it): in place of the
    // user's kvl52110 folders, or within the working directory; it reads the shipped data as the
    // default one does.
    void ownFolder_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("bench");
        QTest::addColumn<QString>("configDir");
        QTest::addColumn<QString>("stateDir");
        // clang-format off
        QTest::newRow("build tree") << false << false << "work/kvl52110-second"
                                    << "work/kvl52110-second";
        QTest::newRow("installed") << true << false << "home/.config/kvl52110-second"
                                   << "home/.local/state/kvl52110-second";
        QTest::newRow("bench folder") << true << true << "work/kvl52110-second"
                                      << "work/kvl52110-second";
        // clang-format on
    }
    void ownFolder()
    {
        QFETCH(bool, installed);
        QFETCH(bool, bench);
        QFETCH(QString, configDir);
        QFETCH(QString, stateDir);
        if (installed)
            install();
        if (bench)
            QVERIFY(TestFiles::write(path("work/options.ini")));
        // A folder of the program's own that others could read is made the user's alone.
        QVERIFY(QDir().mkpath(path(configDir)) && ::chmod(qPrintable(path(configDir)), 0755) == 0);
        ProgramFiles f = files();
        f.setProgramName("second");
        QCOMPARE(f.configFile("options.ini"), path(configDir + "/options.ini"));
        QCOMPARE(f.stateFile("KVL52110.state"), path(stateDir + "/KVL52110.state"));
        QCOMPARE(f.stateFile("20261208.log"), path(stateDir + "/20261208.log"));
        QCOMPARE(mode(path(configDir)), 0700);
        QCOMPARE(mode(path(stateDir)), 0700);
        QVERIFY(!QFileInfo::exists(path("home/.config/kvl52110")));
        QCOMPARE(f.dataPath("configuration"), files().dataPath("configuration"));
    }

    // A working directory that other users can write (a shared bench folder) keeps none of the
    // files: they go to the user's folders, and the working directory gets nothing, neither a
    // folder nor a file through the links another user planted there at their names.
    void sharedWorkingFolder_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("workMode");
        QTest::newRow("build tree, all write") << false << "" << 0777;
        QTest::newRow("bench, group writes") << true << "" << 0775;
        QTest::newRow("named, sticky") << false << "X" << 01777;
    }
    void sharedWorkingFolder()
    {
        QFETCH(bool, installed);
        QFETCH(QString, name);
        QFETCH(int, workMode);
        if (installed)
            install();
        QVERIFY(::chmod(qPrintable(path("work")), mode_t(workMode)) == 0);
        const passwd *nobody = getpwnam("nobody"); // a group that is not the user's alone
        if (!nobody || ::chown(qPrintable(path("work")), uid_t(-1), nobody->pw_gid) != 0)
            QSKIP("needs root and the user nobody");
        const QStringList planted{"options.ini", "KVL52110.state", "20261208.log", "kvl52110-X"};
        for (const QString &link : planted) {
            QVERIFY(QFile::link(path("home"), path("work/" + link))); // a folder of the user's
            if (!AsNobody::own(path("work/" + link)))
                QSKIP("needs root and the user nobody");
        }
        ProgramFiles f = files();
        f.setProgramName(name);
        const QString own = name.isEmpty() ? "kvl52110" : "kvl52110-" + name;
        QCOMPARE(f.configFile("options.ini"), path("home/.config/" + own + "/options.ini"));
        QCOMPARE(f.stateFile("20261208.log"), path("home/.local/state/" + own + "/20261208.log"));
        const QString refusal = QStringLiteral("%1 is writable by other users (mode %2)")
                                    .arg(path("work"))
                                    .arg(workMode, 4, 8, QLatin1Char('0'));
        QCOMPARE(f.workingDirRefusal(), refusal);
        // The bench's own files there are named as passed over, and why.
        QStringList held{path("work/options.ini"), path("work/KVL52110.state")};
        if (!name.isEmpty())
            held << path("work/kvl52110-X");
        QCOMPARE(f.passedOver(), QStringList{held.join(", ") + " are passed over: " + refusal +
                                             ", so your files are kept in your own folders"});
        QStringList left =
            QDir(path("work")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        left.sort();
        QCOMPARE(left,
                 QStringList({"20261208.log", "KVL52110.state", "kvl52110-X", "options.ini"}));
    }

    // A working directory that only the user may write by its mode, but another user by its ACL,
    // is one that other users can change too.
    void workingFolderWithAcl()
    {
        QVERIFY(::chmod(qPrintable(path("work")), 0700) == 0);
        if (!PosixAcl::grant(path("work"), PosixAcl::User, 4242, 7))
            QSKIP("needs a file system with ACLs");
        const ProgramFiles f = files();
        QCOMPARE(f.configFile("options.ini"), path("home/.config/kvl52110/options.ini"));
        QCOMPARE(f.workingDirRefusal(),
                 path("work") + " is writable by other users through its ACL (uid 4242)");
    }

    // In a working directory of the user's own, a named program's folder there that leads to
    // another user's (a link of theirs, or one to a folder of theirs) is passed over too.
    void foreignOwnFolder_data()
    {
        QTest::addColumn<bool>("linkOfOther");
        QTest::newRow("link of another user") << true;
        QTest::newRow("link to another user's folder") << false;
    }
    void foreignOwnFolder()
    {
        QFETCH(bool, linkOfOther);
        QVERIFY(QDir().mkpath(path("prefix/theirs")));
        QVERIFY(QFile::link(path(linkOfOther ? "home" : "prefix/theirs"), path("work/kvl52110-X")));
        if (!AsNobody::own(path(linkOfOther ? "work/kvl52110-X" : "prefix/theirs")))
            QSKIP("needs root and the user nobody");
        ProgramFiles f = files();
        f.setProgramName("X");
        QCOMPARE(f.configFile("options.ini"), path("home/.config/kvl52110-X/options.ini"));
        QVERIFY(f.workingDirRefusal().isEmpty()); // the working directory itself is fine
        const QString why = linkOfOther ? path("work/kvl52110-X") + " is a link that belongs"
                                        : path("prefix/theirs") + " belongs";
        QCOMPARE(f.passedOver(), QStringList{path("work/kvl52110-X") + " is passed over: " + why +
                                             QString(" to another user (uid %1), so your files "
                                                     "are kept in your own folders")
                                                 .arg(getpwnam("nobody")->pw_uid)});
    }

    // The user's folders are the account's: XDG base folders that another user can change are
    // passed over, and the home is the account's whatever HOME says (as "sudo -E" or "su"
    // without "-" leave it).
    void accountsFolders()
    {
        install();
        QVERIFY(QDir().mkpath(path("other/cfg")) && QDir().mkpath(path("other/st")));
        if (!AsNobody::own(path("other")))
            QSKIP("needs root and the user nobody");
        const ProgramFiles f = files(path("other/cfg"), path("other/st"));
        QCOMPARE(f.configFile("options.ini"), path("home/.config/kvl52110/options.ini"));
        QCOMPARE(f.stateFile("KVL52110.state"), path("home/.local/state/kvl52110/KVL52110.state"));
        QVERIFY(QDir(path("other/cfg")).isEmpty() && QDir(path("other/st")).isEmpty());
        const QString theirs = QString(" is passed over: %1 belongs to another user (uid %2)")
                                   .arg(path("other"))
                                   .arg(getpwnam("nobody")->pw_uid);
        QCOMPARE(f.passedOver(), QStringList({"XDG_CONFIG_HOME " + path("other/cfg") + theirs,
                                              "XDG_STATE_HOME " + path("other/st") + theirs}));
        QVERIFY(f.configNotKept().isEmpty() && f.stateNotKept().isEmpty());
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", path("other").toUtf8());
        const QString taken = ProgramFiles::ofThisProcess().places().home;
        qputenv("HOME", home);
        QCOMPARE(taken, QFile::decodeName(getpwuid(geteuid())->pw_dir));
    }

    // A home inside a folder that a group may write (as /home of mode 0775 on a lab PC) keeps
    // none of the files, and what to do is said: the administrator closes the folder, or the
    // user sets the XDG folders elsewhere.
    void homeInOpenFolder()
    {
        QTemporaryDir lab("/tmp/kvl-lab-XXXXXX"); // nobody must reach it, wherever the build is
        const QString home = lab.filePath("home");
        const passwd *nobody = getpwnam("nobody");
        QVERIFY(lab.isValid() && QDir().mkpath(lab.filePath("prefix/share/kvl52110")) &&
                QDir().mkpath(home) && ::chmod(qPrintable(lab.path()), 0775) == 0);
        if (!nobody || ::chown(qPrintable(lab.path()), 0, nobody->pw_gid) != 0 ||
            !AsNobody::own(home))
            QSKIP("needs root and the user nobody");
        const ProgramFiles f({lab.filePath("prefix/bin"), home, home, QString(), QString()});
        const QString told = "Your %1 not kept: " + lab.path() +
                             " is writable by other users (mode 0775): %2, or set %3 to a folder "
                             "of your own on a way that no other user can change";
        const QString close = "close %1 to other users' writing (chmod go-w %1)";
        const QByteArray asNobody =
            AsNobody::run([&f]() { return (f.configNotKept() + "|" + f.stateNotKept()).toUtf8(); });
        QCOMPARE(QString::fromUtf8(asNobody),
                 told.arg("options are", "ask the administrator to " + close.arg(lab.path()),
                          "XDG_CONFIG_HOME") +
                     "|" +
                     told.arg("window state and day logs are",
                              "ask the administrator to " + close.arg(lab.path()),
                              "XDG_STATE_HOME"));
    }

    // Shipped data: the working directory's copy first, then the installed one; with neither,
    // the working directory's path names what is missing.
    void shippedData()
    {
        const QString name = "configuration/Configuration12.txt";
        install();
        const ProgramFiles f = files();
        QVERIFY(TestFiles::write(path("prefix/share/kvl52110/" + name), "x"));
        QCOMPARE(f.dataPath(name), path("prefix/share/kvl52110/" + name));
        QCOMPARE(f.dataPath("configuration"), path("prefix/share/kvl52110/configuration"));
        QCOMPARE(f.dataPath("configuration/other.txt"), path("work/configuration/other.txt"));
        QVERIFY(QDir().mkpath(path("work/configuration")));
        QCOMPARE(f.dataPath("configuration"), path("work/configuration"));
        QVERIFY(TestFiles::write(path("work/" + name)));
        QCOMPARE(f.dataPath(name), path("work/" + name));
    }
};

QTEST_MAIN(TestProgramFiles)
#include "tst_programfiles.moc"
