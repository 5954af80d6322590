// `cmake --install` of this build tree into a temporary prefix: the files it puts in place, the
// desktop entry (as desktop-file-validate judges it), the icon the entry names, the udev rule
// for the board's port, and the installed program started headless from another folder.
#include "clirun.h"
#include "testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(KVL_CMAKE_COMMAND),
                      {"--install", KVL_BUILD_DIR, "--prefix", m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
    }

    void installedFiles()
    {
        QStringList files;
        QDirIterator it(m_prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(m_prefix.path()).relativeFilePath(it.next()));
        files.sort();
        QStringList expected{"bin/kvl52110",
                             "lib/udev/rules.d/70-kvl52110.rules",
                             "share/applications/kvl52110.desktop",
                             "share/icons/hicolor/256x256/apps/kvl52110.png",
                             "share/icons/hicolor/64x64/apps/kvl52110.png",
                             "share/kvl52110/configuration/Configuration12.txt"};
#ifdef KVL_HAVE_CLI
        expected.insert(1, QStringLiteral("bin/kvl52110-cli"));
#endif
        QCOMPARE(files, expected);
        for (const QString &program : files.filter(QRegularExpression("^bin/")))
            QVERIFY(QFileInfo(m_prefix.filePath(program)).isExecutable());
    }

    void desktopEntryIsValid()
    {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        QVERIFY2(!validator.isEmpty(), "desktop-file-validate (package desktop-file-utils) missing");
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {m_prefix.filePath("share/applications/kvl52110.desktop")});
        QVERIFY(validate.waitForFinished(30000));
        const QByteArray said = validate.readAll();
        QVERIFY2(validate.exitCode() == 0 && said.isEmpty(), said.constData());
    }

    // The entry starts an installed program and names an icon of the theme, at the size of
    // each folder it lies in.
    void entryNamesInstalledProgramAndIcon()
    {
        QSettings entry(m_prefix.filePath("share/applications/kvl52110.desktop"),
                        QSettings::IniFormat);
        entry.beginGroup("Desktop Entry");
        const QString exec = entry.value("Exec").toString();
        const QString icon = entry.value("Icon").toString();
        QCOMPARE(exec, QString("kvl52110"));
        QVERIFY(QFileInfo(m_prefix.filePath("bin/" + exec)).isExecutable());
        QVERIFY(!icon.isEmpty());
        int found = 0;
        for (int size : {64, 256}) {
            const QImage image(m_prefix.filePath(
                QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon)));
            QCOMPARE(image.size(), QSize(size, size));
            found += image.hasAlphaChannel() && image.pixelColor(size / 2, size / 2).alpha() == 255;
        }
        QCOMPARE(found, 2);
    }

    // One rule: the board's serial port for the group dialout, out of ModemManager's reach.
    void udevRule()
    {
        QFile file(m_prefix.filePath("lib/udev/rules.d/70-kvl52110.rules"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList rules;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.trimmed().isEmpty() && !line.trimmed().startsWith('#'))
                rules.append(QString::fromUtf8(line));
        }
        QCOMPARE(rules.size(), 1);
        const QStringList keys = rules.first().split(QStringLiteral(", "));
        for (const char *key : {"SUBSYSTEM==\"tty\"", "GROUP=\"dialout\"",
                                "ENV{ID_MM_DEVICE_IGNORE}=\"1\"", "ATTRS{bInterfaceClass}==\"02\""})
            QVERIFY2(keys.contains(QString::fromLatin1(key)), key);
    }

    // "--help" lists the program's options and the folders of the user's files (those of the
    // program that --name names), and "--version" the version; both end the start at once,
    // without failing or making anything, and need no display.
    void installedProgramHelps_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("folder");
        QTest::newRow("default") << QStringList{"--help"} << "kvl52110";
        QTest::newRow("named") << QStringList{"--name", "second", "--help"} << "kvl52110-second";
        QTest::newRow("version") << QStringList{"--version"} << QString();
    }
    void installedProgramHelps()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, folder);
        QProcess program;
        QProcessEnvironment environment = userEnvironment(QDir::currentPath());
        environment.insert("QT_QPA_PLATFORM", "xcb"); // over SSH: a desktop's platform, no display
        environment.remove("DISPLAY");
        program.setProcessEnvironment(environment);
        program.start(m_prefix.filePath("bin/kvl52110"), arguments);
        QVERIFY(program.waitForFinished(WaitMs));
        const QByteArray said = program.readAllStandardOutput();
        QCOMPARE(program.exitCode(), 0);
        if (folder.isEmpty()) {
            const QRegularExpression version("^kvl52110 \\d+\\.\\d+\n$");
            QVERIFY2(version.match(QString::fromLatin1(said)).hasMatch(), said);
        } else {
            QVERIFY2(said.contains("--project <NAME>") && said.contains("--name <NAME>"), said);
        }
        for (const char *place : {"/.config/", "/.local/state/"})
            QVERIFY2(folder.isEmpty() || said.contains(QFile::encodeName(QDir::currentPath()) +
                                                       place + folder.toLatin1() + '\n'),
                     said);
        QVERIFY(!QFileInfo::exists(".config") && !QFileInfo::exists(".local"));
    }

    // An option given without what it needs ends the start at once with status 1 and says why.
    void installedProgramRefusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        // A socket name is one file name: none leads out of the socket directory.
        const QString rule = "\" is no socket name: a socket name is one file name of 1 to 80 "
                             "bytes, without \"/\", other than \".\" and \"..\"\n";
        for (const char *name : {"", "..", "../KVLOUT", "KVLA/KVLB"})
            QTest::addRow("name \"%s\"", name)
                << QStringList{"--name", name} << "kvl52110: --name: \"" + QString(name) + rule;
        QTest::newRow("help of no name") << QStringList{"--name", "..", "--help"}
                                         << "kvl52110: --name: \".." + rule;
        QTest::newRow("unknown project")
            << QStringList{"--project", "TO9"}
            << "kvl52110: unknown project type \"TO9\": use TO3/TO4 or TO1/TO2\n";
    }
    void installedProgramRefusesBadOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        QProcess program;
        program.setProcessEnvironment(userEnvironment(QDir::currentPath()));
        program.start(m_prefix.filePath("bin/kvl52110"), arguments);
        QVERIFY(program.waitForFinished(WaitMs));
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(err.endsWith(said), qPrintable(err));
        for (const char *made : {"/../KVLOUT", "/KVLA"})
            QVERIFY(!QFileInfo::exists(m_runtime.path() + made));
    }

    // Under another socket name the program serves there, not under the default name; a second
    // start under it does not serve.
    void installedProgramServesUnderItsName()
    {
        m_environment = userEnvironment(QDir::currentPath());
        QProcess program;
        program.setProcessEnvironment(m_environment);
        program.start(m_prefix.filePath("bin/kvl52110"), {"--project", "TO3/TO4", "--name", "KVLB"});
        const QStringList name{"--name", "KVLB"};
        const QDeadlineTimer deadline(3 * WaitMs);
        bool underDefault = false; // the default name answering ends the wait too
        while (!cli(name + QStringList{"get", "version"}).startsWith("s") &&
               !(underDefault = cli({"get", "version"}).startsWith("s")) &&
               program.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(200);
        QVERIFY(!underDefault && cli({"get", "version"}).startsWith("<status"));
        // A second start under that name does not serve: it ends at once and says why.
        QProcess second;
        second.setProcessEnvironment(m_environment);
        second.start(m_prefix.filePath("bin/kvl52110"), {"--project", "TO3/TO4", "--name", "KVLB"});
        QVERIFY(second.waitForFinished(WaitMs));
        QCOMPARE(second.exitCode(), 1);
        const QByteArray said = second.readAllStandardError();
        QVERIFY2(said.contains("kvl52110: not started: another program already serves"), said);
        QCOMPARE(cli(name + QStringList{"run", "shutdown"}), QByteArray("i1\n"));
        QVERIFY(program.waitForFinished(WaitMs));
        QCOMPARE(program.exitCode(), 0);
    }

    // Started from an empty folder, the installed program connects to the simulated board and
    // loads the matrix configuration it ships (a switch's level then goes out to the board); its
    // options and window state land in the user's XDG folders, for the user alone, and the
    // folder stays empty. A folder that holds options is a bench's own: they stay there.
    // A bench folder that all may write is passed over, and standard error says so.
    void installedProgramRuns_data()
    {
        QTest::addColumn<bool>("bench");
        QTest::addColumn<bool>("shared");
        QTest::newRow("any folder") << false << false;
        QTest::newRow("bench folder") << true << false;
        QTest::newRow("shared bench folder") << true << true;
    }
    void installedProgramRuns()
    {
        QFETCH(bool, bench);
        QFETCH(bool, shared);
        QTemporaryDir home;
        QTemporaryDir work;
        QVERIFY(home.isValid() && work.isValid());
        if (bench)
            QVERIFY(TestFiles::write(work.filePath("options.ini"), "[General]\n"));
        if (shared)
            QVERIFY(QFile::setPermissions(work.path(), QFileDevice::Permissions(0x7777)));
        QProcess board;
        board.start(KVL_FAKEBOARD_PATH, {"--trace"});
        QTRY_VERIFY_WITH_TIMEOUT(board.canReadLine(), WaitMs);
        const QString device = QString::fromUtf8(board.readLine().trimmed());

        m_environment = userEnvironment(home.path());
        QProcess program;
        program.setProcessEnvironment(m_environment);
        program.setWorkingDirectory(work.path());
        program.setStandardErrorFile(QDir::current().absoluteFilePath("program.err"));
        program.start(m_prefix.filePath("bin/kvl52110"), {"--project", "TO3/TO4"});
        QVERIFY(serving(&program));
        QCOMPARE(cli({"run", "open", "s" + device}), QByteArray("i1\n"));
        const QByteArray err = TestFiles::read("program.err"); // boxes are told there at once
        QVERIFY2(!err.contains("Error"), err.constData());
        QCOMPARE(err.contains("kvl52110: " + QFile::encodeName(work.filePath("options.ini")) +
                              " is passed over: " + QFile::encodeName(work.path()) +
                              " is writable by other users (mode 0777), so your files are kept "
                              "in your own folders\n"),
                 shared);
        QVERIFY2(!err.contains("Your files"), err.constData());       // only the log window says it
        QVERIFY2(!err.contains("\"Project type\""), err.constData()); // --project: not asked
        cli({"get", "Board.NOPE"}); // a typo is told there too: nobody sees the log
        QVERIFY2(TestFiles::read("program.err")
                     .contains("kvl52110: Request \"get Board.NOPE\": Board has no item NOPE\n"),
                 TestFiles::read("program.err").constData());
        QCOMPARE(cli({"set", "Board.DCREG[SW12]", "i500"}), QByteArray());
        QByteArray trace; // the simulator's, the switch's level sent live
        QTRY_VERIFY_WITH_TIMEOUT(
            (trace += board.readAllStandardOutput()).contains("\n> set p110animation="), WaitMs);
        QCOMPARE(cli({"run", "shutdown"}), QByteArray("i1\n"));
        QVERIFY(program.waitForFinished(WaitMs));
        QCOMPARE(program.exitCode(), 0);
        // Qt's notes on what the headless platform leaves out stay off standard error.
        QVERIFY2(!TestFiles::read("program.err").contains("This plugin does not support"),
                 TestFiles::read("program.err").constData());
        board.terminate();
        QVERIFY(board.waitForFinished(WaitMs));

        const QString config = home.filePath(".config/kvl52110/options.ini");
        const QString state = home.filePath(".local/state/kvl52110/KVL52110.state");
        const QStringList left =
            QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (bench && !shared) {
            QCOMPARE(left, (QStringList{"KVL52110.state", "options.ini"}));
            QVERIFY(TestFiles::read(work.filePath("options.ini")).contains("comm_timeout=50"));
            QVERIFY(!QFileInfo::exists(config) && !QFileInfo::exists(state));
        } else {
            QCOMPARE(left, bench ? QStringList{"options.ini"} : QStringList());
            QVERIFY(TestFiles::read(config).contains("comm_timeout=50"));
            QVERIFY(QFileInfo(state).size() > 0);
            // Only the user reads them: the files and their folders.
            for (const QString &file : {config, state}) {
                QCOMPARE(QFileInfo(file).permissions() & 0x0777,
                         QFile::ReadUser | QFile::WriteUser);
                QCOMPARE(QFileInfo(QFileInfo(file).path()).permissions() & 0x0777,
                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
            }
        }
    }

private:
    static constexpr int WaitMs = 60000; // wide: a sanitizer build on a shared machine

    // A desktop session's environment with its XDG folders in home (the program takes the
    // account's home, not HOME, for its default), no display, no test answers; the command
    // socket in this test's own temporary folder.
    QProcessEnvironment userEnvironment(const QString &home) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "KVL_PROMPT_DEFAULTS"})
            env.remove(name);
        env.insert("HOME", home);
        env.insert("XDG_CONFIG_HOME", home + "/.config");
        env.insert("XDG_STATE_HOME", home + "/.local/state");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TMPDIR", QDir::tempPath());
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        return env;
    }

    // The installed kvl52110-cli with arguments: its output, or "<status N>" when it failed.
    QByteArray cli(const QStringList &arguments) const
    {
        return CliRun::output(m_prefix.filePath("bin/kvl52110-cli"), arguments, WaitMs,
                              m_environment);
    }

    // Waits until the program answers its command socket.
    bool serving(QProcess *program) const
    {
        const QDeadlineTimer deadline(3 * WaitMs);
        while (program->state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if (cli({"get", "version"}).startsWith("s"))
                return true;
            QTest::qWait(200);
        }
        return false;
    }

    QTemporaryDir m_prefix;
    QTemporaryDir m_runtime;           // the session's runtime folder
    QProcessEnvironment m_environment; // the program's and its client's
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
