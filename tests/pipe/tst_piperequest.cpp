// The request lines of the pipe protocol: fields, kinds and the lines of a batch that run.
#include "piperequest.h"
#include "tablerows.h"

#include <QtTest>

class TestPipeRequest : public QObject
{
    Q_OBJECT
private slots:
    void fields_data()
    {
        addRows<QByteArray, QStringList, int>(
            {"line", "fields", "kind"},
            {{"set\tA.B\ti5", {"set", "A.B", "i5"}, PipeRequest::Set},
             {"get\tA.B", {"get", "A.B"}, PipeRequest::Get},
             {"run\tA.cmd", {"run", "A.cmd"}, PipeRequest::Run},
             {"run\tA.cmd\t\t", {"run", "A.cmd", "", ""}, PipeRequest::Run},
             {"set\tA.B", {"set", "A.B"}, PipeRequest::Malformed},
             {"get\tA.B\t", {"get", "A.B", ""}, PipeRequest::Malformed},
             {"Set\tA.B\ti1", {"Set", "A.B", "i1"}, PipeRequest::Malformed},
             {"", {""}, PipeRequest::Malformed},
             {"\t", {"", ""}, PipeRequest::Malformed},
             {QByteArray("get\tA\0\tjunk", 11), {"get", "A"}, PipeRequest::Get},
             {QByteArray("run\tA.c\t\0i1", 10), {"run", "A.c", ""}, PipeRequest::Run},
             {QByteArray("\0get\tA", 6), {""}, PipeRequest::Malformed},
             {"get\t\xe4\xff", {"get", QString::fromLatin1("\xe4\xff")}, PipeRequest::Get}});
    }

    // Bytes up to the first zero byte, split at every TAB, read as Latin-1; the kind follows
    // from the verb and the number of fields, whether the fields are bytes or texts.
    void fields()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, fields);
        QFETCH(int, kind);
        QCOMPARE(PipeRequest::fields(line), fields);
        QCOMPARE(int(PipeRequest::kind(PipeRequest::fieldViews(line))), kind);
        QCOMPARE(int(PipeRequest::kind(fields)), kind);
        QCOMPARE(int(PipeRequest::kind(QStringList{QString("s") + QChar(0x20AC) + "t", "A", "B"})),
                 int(PipeRequest::Malformed));
    }

    void linesToRun_data()
    {
        addRows<QByteArray, QByteArray, QByteArrayList, QByteArray>(
            {"input", "last", "lines", "lastAfter"}, {{"a\nb\n", "", {"a", "b"}, "b"},
                                                      {"a\r\nb", "", {"a", "b"}, "b"},
                                                      {"a\na\nb\na\n", "", {"a", "b", "a"}, "a"},
                                                      {"a\nb\n", "a", {"b"}, "b"},
                                                      {"a\n", "a", {}, "a"},
                                                      {"\n \t\n\r\n", "x", {}, "x"},
                                                      {"\v\n\f \n\v1\n", "", {"\v1"}, "\v1"},
                                                      {"a\rb\n", "", {"ab"}, "ab"},
                                                      {"a\n \nA\n", "", {"a", "A"}, "A"},
                                                      {"", "x", {}, "x"}});
    }

    // Carriage returns removed anywhere; blank lines and a line equal to the one run just
    // before it (also across batches, through last) run nothing.
    void linesToRun()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, last);
        QFETCH(QByteArrayList, lines);
        QFETCH(QByteArray, lastAfter);
        QByteArray copyLast = last;
        QCOMPARE(PipeRequest::linesToRun(input, &copyLast), lines);
        QCOMPARE(copyLast, lastAfter);
        QByteArrayList visited;
        PipeRequest::forEachLineToRun(
            input, &last, [&visited](QByteArrayView line) { visited.append(line.toByteArray()); });
        QCOMPARE(visited, lines);
        QCOMPARE(last, lastAfter);
    }
};

QTEST_MAIN(TestPipeRequest)
#include "tst_piperequest.moc"
