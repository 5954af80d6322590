// The build step that rewrites uic's form header so that each tab page joins its tab widget
// before its children are built, run on small headers of uic's shape.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// A page as uic writes it: created without a parent, named, its children, then added.
QString page(const QString &tabs, const QString &name, const QString &parent = QString())
{
    return QStringLiteral("        %1 = new QWidget(%2);\n"
                          "        %1->setObjectName(\"%1\");\n"
                          "        label_%1 = new QLabel(%1);\n\n"
                          "        %3->addTab(%1, QString());\n")
        .arg(name, parent, tabs);
}

} // namespace

class TestFormPages : public QObject
{
    Q_OBJECT
private slots:
    void rewrite_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("expected");
        const QString head = "        tabWidget = new QTabWidget(Board);\n";
        const QString tail = "        tabWidget->setCurrentIndex(1);\n";
        const QString movedA = "        a = new QWidget();\n        a->setObjectName(\"a\");\n"
                               "        tabWidget->addTab(a, QString());\n"
                               "        label_a = new QLabel(a);\n\n";
        const QString movedB = "        b = new QWidget();\n        b->setObjectName(\"b\");\n"
                               "        tabWidget->addTab(b, QString());\n"
                               "        label_b = new QLabel(b);\n\n";
        QTest::newRow("two pages") << head + page("tabWidget", "a") + page("tabWidget", "b") + tail
                                   << head + movedA + movedB + tail;
        // A page built with a parent, or inside another page's tab widget, stays as it is.
        const QString kept = page("tabWidget", "c", "tabWidget");
        QTest::newRow("page with a parent")
            << head + kept + page("tabWidget", "a") + tail << head + kept + movedA + tail;
        QTest::newRow("inner tab widget")
            << head + page("inner", "b") + page("tabWidget", "a") + tail
            << head + QString(movedB).replace("tabWidget->", "inner->") + movedA + tail;
    }

    void rewrite()
    {
        QFETCH(QString, header);
        QFETCH(QString, expected);
        QString output;
        QCOMPARE(run(header, &output), 0);
        QCOMPARE(output, expected);
    }

    // A header without a page to move is refused: the build stops rather than build the
    // form the slow way unnoticed.
    void nothingToMove()
    {
        QString output;
        QVERIFY(run("        label = new QLabel(Board);\n", &output) != 0);
        QVERIFY(run(page("tabWidget", "c", "tabWidget"), &output) != 0);
    }

private:
    int run(const QString &header, QString *output)
    {
        QTemporaryDir dir;
        if (!dir.isValid())
            return -1;
        QFile in(dir.filePath("ui_in.h"));
        if (!in.open(QIODevice::WriteOnly) || in.write(header.toUtf8()) < 0)
            return -1;
        in.close();
        QProcess cmake;
        cmake.start(KVL_CMAKE_COMMAND,
                    {"-DINPUT=" + in.fileName(), "-DOUTPUT=" + dir.filePath("ui_out.h"), "-P",
                     KVL_PAGES_SCRIPT});
        if (!cmake.waitForFinished(30000))
            return -1;
        QFile out(dir.filePath("ui_out.h"));
        *output = out.open(QIODevice::ReadOnly) ? QString::fromUtf8(out.readAll()) : QString();
        return cmake.exitStatus() == QProcess::NormalExit ? cmake.exitCode() : -1;
    }
};

QTEST_MAIN(TestFormPages)
#include "tst_formpages.moc"
