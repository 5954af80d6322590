#pragma once

// The board page with the frame, configuration and addressing applets, connected to a
// FakeBoard with two matrix chips (at 1 and 7, in normal mode) on the bus; loads matrix
// configuration files written by the test. Header only.
#include "addressdiscovery.h"
#include "autoaddressing.h"
#include "boardappfixture.h"
#include "configuration.h"
#include "fakematrixbus.h"
#include "pxn.h"
#include "testfiles.h"
#include "variable.h"

#include <QLineEdit>

struct BoardMatrixFixture : BoardAppFixture {
    bool start()
    {
        bus.addChip(1, 4, 1);
        bus.addChip(7, 4, 2);
        app->setAppletFactories({[]() -> Applet * { return new AutoAddressing; },
                                 []() -> Applet * { return new AddressDiscovery; },
                                 []() -> Applet * { return new Pxn; },
                                 []() -> Applet * { return new Configuration; },
                                 []() -> Applet * { return new Board; }});
        if (!app->init())
            return false;
        app->start();
        return connectTo(board);
    }

    // Writes a configuration of devices x 12 pixels with one line of switch numbers per row
    // (columns: the longest row) and loads it.
    void load(int devices, const QList<QList<int>> &rows)
    {
        qsizetype cols = 0;
        for (const QList<int> &row : rows)
            cols = qMax(cols, row.size());
        QByteArray text = "NumberOfDevices " + QByteArray::number(devices) +
                          "\nPixelsPerDevice 12\nNumberOfRows " + QByteArray::number(rows.size()) +
                          "\nNumberOfCols " + QByteArray::number(cols) + "\n";
        for (const QList<int> &row : rows) {
            QByteArrayList words;
            for (int n : row)
                words.append(QByteArray::number(n));
            text += words.join(' ') + "\n";
        }
        QVERIFY(TestFiles::write(QStringLiteral("matrix.txt"), text));
        page()->loadConfiguration(QStringLiteral("matrix.txt"));
    }
    // Switches first to last numbered in rows of width.
    static QList<QList<int>> numberedRows(int count, int width)
    {
        QList<QList<int>> rows;
        for (int n = 1; n <= count; ++n) {
            if ((n - 1) % width == 0)
                rows.append(QList<int>());
            rows.last().append(n);
        }
        return rows;
    }

    // The duty of switch n as the page's DCREG holds it.
    int duty(int n) const
    {
        return page()->get(QStringLiteral("DCREG[SW%1]").arg(n), Variable::InternalKey).toInt();
    }
    QList<int> duties(int count) const
    {
        QList<int> result;
        for (int n = 1; n <= count; ++n)
            result.append(duty(n));
        return result;
    }
    void setDuties(int count, int value)
    {
        for (int n = 1; n <= count; ++n)
            page()->setDcRegister(quint8(n), quint16(value));
    }

    // The address edit of device d (from 0).
    QLineEdit *addressEdit(int d) const
    {
        return page()->findChild<QLineEdit *>(QStringLiteral("leSA%1").arg(d));
    }

    FakeMatrixBus bus{board};
};
