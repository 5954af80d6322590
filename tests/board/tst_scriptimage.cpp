// The flash image of a CSV animation script: header, full blocks and repeat markers, cell
// reading, refusals and padding.
#include "csvreader.h"
#include "scriptimage.h"

#include <QtTest>

namespace
{

QStringList values(int first, int count = 12)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out.append(QString::number(first + i));
    return out;
}

QByteArray bytes(int first, int count = 12)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char(first + i));
    return out;
}

// A script with the given addresses, one device per address unless devices is given.
struct Script {
    QStringList addresses;
    QList<QStringList> steps; // cells after the step number
    int devices = -1;
    int delay = 100;

    void fill(CSVReader &reader) const
    {
        reader.delay = quint8(delay);
        reader.deviceCount = quint8(devices < 0 ? addresses.size() : devices);
        reader.addresses = addresses;
        reader.steps.clear();
        for (int i = 0; i < steps.size(); ++i)
            reader.steps.append(QStringList{QString::number(i + 1)} + steps.at(i));
    }
};

QByteArray header(int delay, int devices, int steps, const QByteArray &addresses)
{
    return QByteArray("START") + char(delay) + char(devices) + char(steps) + addresses;
}

const QByteArray Marker(1, char(0xFF));

} // namespace

class TestScriptImage : public QObject
{
    Q_OBJECT

private slots:
    void build_data()
    {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QList<QStringList>>("steps");
        QTest::addColumn<QByteArray>("image");

        QTest::newRow("two devices, three steps")
            << QStringList{"1", "2"}
            << QList<QStringList>{values(1) + values(13), values(1) + values(50),
                                  values(80) + values(50)}
            << header(100, 2, 3, "\x01\x02") + bytes(1) + bytes(13) + Marker + bytes(50) +
                   bytes(80) + Marker + "END";
        QTest::newRow("worked example, 25 bytes")
            << QStringList{"5"} << QList<QStringList>{values(7), values(7)}
            << header(100, 1, 2, "\x05") + bytes(7) + Marker + "END";
        QTest::newRow("one device repeating")
            << QStringList{" 9 "} << QList<QStringList>{values(3), values(3), values(3)}
            << header(100, 1, 3, "\x09") + bytes(3) + Marker + Marker + "END";
        QTest::newRow("back to an earlier step")
            << QStringList{"5"} << QList<QStringList>{values(3), values(4), values(3)}
            << header(100, 1, 3, "\x05") + bytes(3) + bytes(4) + bytes(3) + "END";
        QTest::newRow("no steps") << QStringList{"3", "4\r\n"} << QList<QStringList>()
                                  << header(100, 2, 0, "\x03\x04") + "END";
        QTest::newRow("no devices") << QStringList() << QList<QStringList>{{}, {}}
                                    << header(100, 0, 2, QByteArray()) + "END";
        // Values are clamped to 0..200; what does not read as a number, or is missing, is 0.
        QByteArray clamped(12, '\0');
        clamped[0] = char(200);
        clamped[1] = char(200);
        clamped[4] = 7;
        QTest::newRow("cells") << QStringList{"5"}
                               << QList<QStringList>{{"255", "999", "-3", "x", " 7\r\n"}}
                               << header(100, 1, 1, "\x05") + clamped + "END";
    }
    void build()
    {
        QFETCH(QStringList, addresses);
        QFETCH(QList<QStringList>, steps);
        CSVReader reader;
        Script{addresses, steps}.fill(reader);
        QByteArray image;
        QString reason;
        QVERIFY(ScriptImage::build(reader, &image, &reason));
        QTEST(image, "image");
        QVERIFY(reason.isEmpty());
    }

    // Extra addresses beyond the device count are not part of the image.
    void onlyListedDevicesCount()
    {
        CSVReader reader;
        Script{{"1", "2", "300"}, {values(1)}, 1}.fill(reader);
        QByteArray image;
        QString reason;
        QVERIFY(ScriptImage::build(reader, &image, &reason));
        QCOMPARE(image, header(100, 1, 1, "\x01") + bytes(1) + "END");
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<int>("devices");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("reason");
        QTest::newRow("255 steps") << QStringList{"1"} << 1 << 255 << "";
        QTest::newRow("256 steps") << QStringList{"1"} << 1 << 256 << "more than 255 steps";
        QTest::newRow("fewer addresses")
            << QStringList{"1"} << 2 << 1 << "fewer addresses than devices";
        QTest::newRow("address 255") << QStringList{"255"} << 1 << 1 << "";
        QTest::newRow("address 256") << QStringList{"256"} << 1 << 1 << "address outside 0..255";
        QTest::newRow("address -1") << QStringList{"-1"} << 1 << 1 << "address outside 0..255";
    }
    void refusals()
    {
        QFETCH(QStringList, addresses);
        QFETCH(int, devices);
        QFETCH(int, steps);
        QFETCH(QString, reason);
        CSVReader reader;
        Script{addresses, QList<QStringList>(steps, values(1)), devices}.fill(reader);
        QByteArray image = "kept";
        QString why;
        QCOMPARE(ScriptImage::build(reader, &image, &why), reason.isEmpty());
        QCOMPARE(why, reason);
        if (!reason.isEmpty())
            QCOMPARE(image, QByteArray("kept"));
    }

    void padding_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("padded");
        QTest::newRow("25") << 25 << 256;
        QTest::newRow("256") << 256 << 256;
        QTest::newRow("257") << 257 << 512;
        QTest::newRow("130561") << 130561 << 130816;
    }
    void padding()
    {
        QFETCH(int, size);
        const QByteArray image(size, 'x');
        const QByteArray padded = ScriptImage::padded(image);
        QTEST(int(padded.size()), "padded");
        QVERIFY(padded.startsWith(image));
        QCOMPARE(padded.count('\0'), padded.size() - size);
    }

    void hex()
    {
        QCOMPARE(ScriptImage::hex(0x800300FFu, 8), QByteArray("800300ff"));
        QCOMPARE(ScriptImage::hex(20, 2), QByteArray("14"));
        QCOMPARE(ScriptImage::hex(256, 8), QByteArray("00000100"));
    }
};

QTEST_MAIN(TestScriptImage)
#include "tst_scriptimage.moc"
