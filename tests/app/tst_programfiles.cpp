// Where the program reads its shipped data and writes its options, window state and logs: all
// in the working directory when it runs from its build tree; installed, in the user's XDG
// folders unless the working directory is a bench's own folder.
#include "programfiles.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

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
        // clang-format off
        QTest::newRow("defaults") << "" << "" << "home/.config" << "home/.local/state";
        QTest::newRow("set") << path("cfg") << path("st") << "cfg" << "st";
        QTest::newRow("relative") << "cfg" << "st" << "home/.config" << "home/.local/state";
        // clang-format on
    }
    void userFolders()
    {
        QFETCH(QString, configHome);
        QFETCH(QString, stateHome);
        QFETCH(QString, configDir);
        QFETCH(QString, stateDir);
        install();
        const ProgramFiles f = files(configHome, stateHome);
        QVERIFY(f.isInstalled());
        QCOMPARE(f.configFile("options.ini"), path(configDir + "/kvl52110/options.ini"));
        QCOMPARE(f.stateFile("KVL52110.state"), path(stateDir + "/kvl52110/KVL52110.state"));
        QCOMPARE(f.stateFile("20261208.log"), path(stateDir + "/kvl52110/20261208.log"));
        // The folders are there to be written into; the working directory stays empty.
        QVERIFY(QFileInfo(path(configDir + "/kvl52110")).isDir());
        QVERIFY(QFileInfo(path(stateDir + "/kvl52110")).isDir());
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
        ProgramFiles f = files();
        f.setProgramName("second");
        QCOMPARE(f.configFile("options.ini"), path(configDir + "/options.ini"));
        QCOMPARE(f.stateFile("KVL52110.state"), path(stateDir + "/KVL52110.state"));
        QCOMPARE(f.stateFile("20261208.log"), path(stateDir + "/20261208.log"));
        QVERIFY(QFileInfo(path(configDir)).isDir() && QFileInfo(path(stateDir)).isDir());
        QVERIFY(!QFileInfo::exists(path("home/.config/kvl52110")));
        QCOMPARE(f.dataPath("configuration"), files().dataPath("configuration"));
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
