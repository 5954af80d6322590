#include "mainapp.h"
#include "optionsfile.h"
#include "pythonrunner.h"
#include "testfiles.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

static const QString Path = QStringLiteral("options.ini");

// Texts that need quoting or escaping in an INI file.
static QStringList awkwardTexts()
{
    return {"a, b",
            "x;y=z",
            "  padded ",
            "@at",
            "C:\\dir\\\"q\"",
            "one\ntwo",
            QStringLiteral("jürgen"),
            QStringLiteral("c\x01"
                           "ab\x02")};
}

// The program options file: exact text written, values read back, other lines kept.
class TestOptionsFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(Path); }

    void freshFileHoldsEveryOptionInDefaultOrder()
    {
        QHash<QString, QVariant> options = defaults();
        QString error;
        QVERIFY(OptionsFile::load(Path, &options, &error)); // a missing file leaves the defaults
        QVERIFY(error.isEmpty());
        QCOMPARE(options, defaults());
        options.insert("zeta", QVariant()); // asked for but never set: null
        options.insert("alpha", 7);
        QVERIFY(OptionsFile::save(Path, options, &error));
        QVERIFY(error.isEmpty());
        QCOMPARE(fileBytes(), QByteArray("[General]\n"
                                         "comm_timeout=50\n"
                                         "updater_path=updater\n"
                                         "spec_path=\n"
                                         "script_path=\n"
                                         "python_path=python3\n"
                                         "ignore_version=false\n"
                                         "alpha=7\n"
                                         "zeta=@Invalid()\n"));

        QHash<QString, QVariant> loaded = defaults();
        loaded.insert("zeta", 1);
        QVERIFY(OptionsFile::load(Path, &loaded, &error));
        QVERIFY(!loaded.value("zeta").isValid());
        QCOMPARE(loaded.value("comm_timeout").toInt(), 50);
        QCOMPARE(loaded.value("ignore_version").toBool(), false);
    }

    void loadTakesOnlyTheOptionsKeys()
    {
        writeFile("[General]\n"
                  "ignore_version=true\n"
                  "comm_timeout=100\n"
                  "python_path = /usr/bin/python3.11 \n"
                  "foreign=kept\n"
                  "\n"
                  "[Other]\n"
                  "spec_path=not/general.pdf\n");
        QHash<QString, QVariant> options = defaults();
        QString error;
        QVERIFY(OptionsFile::load(Path, &options, &error));
        QCOMPARE(options.size(), defaults().size());
        QVERIFY(!options.contains("foreign"));
        QCOMPARE(options.value("ignore_version").toBool(), true);
        QCOMPARE(options.value("comm_timeout").toInt(), 100);
        QCOMPARE(options.value("python_path").toString(), QStringLiteral("/usr/bin/python3.11"));
        QCOMPARE(options.value("spec_path").toString(), QString()); // a key of another section
        QCOMPARE(options.value("updater_path").toString(), QStringLiteral("updater"));
    }

    void saveKeepsEveryOtherLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("general section with foreign lines")
            << QByteArray("; written by hand\n[General]\nforeign=kept\ncomm_timeout = 12\n"
                          "no equals sign here\n\n[Other]\ncomm_timeout=99\n")
            << QByteArray(
                   "; written by hand\n[General]\nforeign=kept\ncomm_timeout =50\n"
                   "no equals sign here\nupdater_path=updater\nspec_path=\nscript_path=\n"
                   "python_path=python3\nignore_version=false\n\n[Other]\ncomm_timeout=99\n");
        QTest::newRow("keys before any section")
            << QByteArray("python_path=/opt/py\nforeign=1\n\n[Other]\nx=y\n")
            << QByteArray("python_path=python3\nforeign=1\n"
                          "comm_timeout=50\nupdater_path=updater\nspec_path=\nscript_path=\n"
                          "ignore_version=false\n\n[Other]\nx=y\n");
        QTest::newRow("only another section")
            << QByteArray("[Other]\nx=y\n")
            << QByteArray("[General]\ncomm_timeout=50\nupdater_path=updater\nspec_path=\n"
                          "script_path=\npython_path=python3\nignore_version=false\n\n"
                          "[Other]\nx=y\n");
        QTest::newRow("CR LF lines keep their ends")
            << QByteArray("[General]\r\ncomm_timeout=1\r\nforeign=2\r\n")
            << QByteArray("[General]\r\ncomm_timeout=50\r\nforeign=2\r\nupdater_path=updater\r\n"
                          "spec_path=\r\nscript_path=\r\npython_path=python3\r\n"
                          "ignore_version=false\r\n");
        QTest::newRow("every line of a repeated key")
            << QByteArray("[General]\nspec_path=a\nspec_path=b\ncomm_timeout=50\nupdater_path=u\n"
                          "script_path=s\npython_path=p\nignore_version=true\n")
            << QByteArray("[General]\nspec_path=\nspec_path=\ncomm_timeout=50\n"
                          "updater_path=updater\nscript_path=\npython_path=python3\n"
                          "ignore_version=false\n");
    }

    void saveKeepsEveryOtherLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        writeFile(before);
        QString error;
        QVERIFY(OptionsFile::save(Path, defaults(), &error));
        QCOMPARE(fileBytes(), after);
    }

    void valuesRoundTrip_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected"); // the text read back

        QTest::newRow("int") << QVariant(-42) << QString("-42");
        QTest::newRow("bool") << QVariant(true) << QString("true");
        QTest::newRow("empty") << QVariant(QString()) << QString("");
        QTest::newRow("plain path")
            << QVariant("/usr/local/bin/python3") << QString("/usr/local/bin/python3");
        QTest::newRow("comma") << QVariant("a, b") << QString("a, b");
        QTest::newRow("semicolon and equals") << QVariant("x;y=z") << QString("x;y=z");
        QTest::newRow("quotes and backslash")
            << QVariant("C:\\Program Files\\\"x\"") << QString("C:\\Program Files\\\"x\"");
        QTest::newRow("outer blanks") << QVariant("  padded ") << QString("  padded ");
        QTest::newRow("at sign") << QVariant("@Invalid()") << QString("@Invalid()");
        QTest::newRow("line breaks")
            << QVariant("one\ntwo\r\tthree") << QString("one\ntwo\r\tthree");
        QTest::newRow("control char") << QVariant(QStringLiteral("a\x01z")) << QString("a\x01z");
        const QString beforeHex = QStringLiteral("a\x01"
                                                 "bc\x1f"
                                                 "09");
        QTest::newRow("control char before hex digits") << QVariant(beforeHex) << beforeHex;
        QTest::newRow("non-ASCII") << QVariant(QStringLiteral("/home/jürgen/µC.pdf"))
                                   << QStringLiteral("/home/jürgen/µC.pdf");
    }

    void valuesRoundTrip()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QHash<QString, QVariant> options{{"spec_path", value}};
        QString error;
        QVERIFY(OptionsFile::save(Path, options, &error));
        options.insert("spec_path", QStringLiteral("changed"));
        QVERIFY(OptionsFile::load(Path, &options, &error));
        QCOMPARE(options.value("spec_path").toString(), expected);
        QCOMPARE(OptionsFile::decodeValue(OptionsFile::encodeValue(value)).toString(), expected);
    }

    // The file follows QSettings' INI format, both ways.
    void qsettingsCompatibleBothWays()
    {
        const QStringList texts = awkwardTexts();
        QHash<QString, QVariant> options;
        for (int i = 0; i < texts.size(); ++i)
            options.insert(QStringLiteral("key%1").arg(i), texts.at(i));
        options.insert("flag", true);
        QString error;
        QVERIFY(OptionsFile::save(Path, options, &error));
        {
            QSettings settings(Path, QSettings::IniFormat);
            for (int i = 0; i < texts.size(); ++i)
                QCOMPARE(settings.value(QStringLiteral("key%1").arg(i)).toString(), texts.at(i));
            QCOMPARE(settings.value("flag").toBool(), true);
        }
        QFile::remove(Path);
        {
            QSettings settings(Path, QSettings::IniFormat);
            for (int i = 0; i < texts.size(); ++i)
                settings.setValue(QStringLiteral("key%1").arg(i), texts.at(i));
            settings.setValue("number", 50);
            settings.setValue("nothing", QVariant());
            settings.setValue("odd key", "v"); // written as "odd%20key"
        }
        QHash<QString, QVariant> values;
        QVERIFY(OptionsFile::read(Path, &values, &error));
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(values.value(QStringLiteral("key%1").arg(i)).toString(), texts.at(i));
        QCOMPARE(values.value("number").toInt(), 50);
        QVERIFY(values.contains("nothing"));
        QVERIFY(!values.value("nothing").isValid());
        QCOMPARE(values.value("odd key").toString(), QStringLiteral("v"));
    }

    void unreadableFileIsReportedAndNotOverwritten()
    {
        // A directory in the file's place cannot be read as a file.
        QVERIFY(QDir().mkdir(Path));
        QHash<QString, QVariant> options = defaults();
        QString error;
        QVERIFY(!OptionsFile::load(Path, &options, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(options, defaults());
        error.clear();
        QVERIFY(!OptionsFile::save(Path, options, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(Path).isDir());
        QVERIFY(QDir().rmdir(Path));
        QVERIFY(!OptionsFile::save(QStringLiteral("no/such/dir/options.ini"), defaults(), &error));
    }

    void binaryGarbageLoadsAndSurvives()
    {
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage += char((i * 7919 + 13) % 256);
        garbage += "\n[General\ncomm_timeout=7\n=novalue\n[\n";
        writeFile(garbage);
        QHash<QString, QVariant> options = defaults();
        QString error;
        QVERIFY(OptionsFile::load(Path, &options, &error));
        QVERIFY(OptionsFile::save(Path, options, &error));
        const QByteArray after = fileBytes();
        // Every line of the old file is still there, byte for byte, in its order.
        qsizetype from = 0;
        for (const QByteArray &line : garbage.split('\n')) {
            if (line.contains("comm_timeout"))
                continue;
            const qsizetype at = after.indexOf(line, from);
            QVERIFY2(at >= 0, line.toHex().constData());
            from = at + line.size();
        }
        QHash<QString, QVariant> reread = defaults();
        QVERIFY(OptionsFile::load(Path, &reread, &error));
        QCOMPARE(reread.value("comm_timeout").toString(), options.value("comm_timeout").toString());
    }

    // The stored interpreter path is handed to the runner, which falls back with one warning.
    void unresolvablePythonPathFallsBackWithOneWarning()
    {
        writeFile("[General]\npython_path=/no/such/python\n");
        QHash<QString, QVariant> options = defaults();
        QString error;
        QVERIFY(OptionsFile::load(Path, &options, &error));
        PythonRunner runner;
        QList<int> levels;
        connect(&runner, &PythonRunner::signal_log, this,
                [&levels](int level, const QString &) { levels.append(level); });
        runner.setPythonPath(options.value("python_path").toString());
        QCOMPARE(runner.interpreter(), QStringLiteral("python3"));
        QCOMPARE(runner.interpreter(), QStringLiteral("python3"));
        QCOMPARE(levels, QList<int>{1});
    }

    // MainApp's options: defaults, the file's values on load, keys asked for written on save.
    void programOptionsGoThroughTheFile()
    {
        writeFile("ignore_version=true\nforeign=x\n");
        MainApp *app = MainApp::instance();
        app->setDefaultOptions();
        QVERIFY(!app->ignoreVersion());
        app->loadOptions();
        QVERIFY(app->ignoreVersion());
        QVERIFY(!app->options().contains("foreign"));
        QVERIFY(!app->option("asked").isValid());
        app->saveOptions();
        QCOMPARE(fileBytes(), QByteArray("ignore_version=true\n"
                                         "foreign=x\n"
                                         "comm_timeout=50\n"
                                         "updater_path=updater\n"
                                         "spec_path=\n"
                                         "script_path=\n"
                                         "python_path=python3\n"
                                         "asked=@Invalid()\n"));
    }

private:
    static QHash<QString, QVariant> defaults()
    {
        // A hash, as the program keeps them: the order written must not depend on it.
        QHash<QString, QVariant> options;
        options.insert("ignore_version", false);
        options.insert("python_path", QStringLiteral("python3"));
        options.insert("script_path", QString());
        options.insert("spec_path", QString());
        options.insert("updater_path", QStringLiteral("updater"));
        options.insert("comm_timeout", 50);
        return options;
    }

    static void writeFile(const QByteArray &bytes) { QVERIFY(TestFiles::write(Path, bytes)); }
    static QByteArray fileBytes() { return TestFiles::read(Path); }
};

QTEST_GUILESS_MAIN(TestOptionsFile)
#include "tst_optionsfile.moc"
