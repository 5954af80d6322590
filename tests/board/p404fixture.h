#pragma once

// Shared by the tests of the KVL52404 power stage through a simulated chip (tst_boardp404,
// tst_boardp404page): the page started with its probe's scales, its map by field and by address.
#include "boardappfixture.h"

#include <QList>
#include <QPair>
#include <QtTest>

using Lines = QList<QByteArray>;

// "name=value" items apart by spaces, the value decimal or 0x-hexadecimal; "[FIELD]" names a
// field of the KVL52404 map.
inline QList<QPair<QString, double>> pairs(const QString &items)
{
    QList<QPair<QString, double>> out;
    for (const QString &item : items.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString name = item.section(QLatin1Char('='), 0, 0), value = item.section('=', 1);
        out.append({name.startsWith('[') ? "SPI_MAPP404" + name : name,
                    value.startsWith("0x") ? value.toUInt(nullptr, 16) : value.toDouble()});
    }
    return out;
}

class P404Test : public QObject
{
protected:
    // Started, the probe's scales set.
    bool start()
    {
        if (!f.start())
            return false;
        PowerProbe::setScales(f.page(), 330, 47);
        return true;
    }
    // After each function: the chip saw no protocol violation; its answers' CRCs are right
    // again, and the probe reads no button.
    void checkAndReset()
    {
        QCOMPARE(f.spi.violations(), QStringList());
        f.spi.setCorruptAnswerCrc(false);
        PowerProbe::setFromButton(f.page(), false);
    }

    template <typename T> T *w(const char *name) { return f.widget<T>(name); }
    double map(const QString &field) { return f.item("SPI_MAPP404[" + field + "]"); }
    quint32 p404Word(int address)
    {
        return f.page()
            ->binding("SPI_MAPP404")
            ->reg->selectByAttribute("ADD", QString::number(address))
            ->value(true);
    }
    void setMap(const QString &field, double value) { f.set("SPI_MAPP404[" + field + "]", value); }

    PowerAppFixture f;
};
