#pragma once

// The board page with the 16-bit SPI tool (so the KVL52205 is reachable), connected to a
// FakeBoard, with helpers that write and load matrix configuration files. Header only.
#include "boardappfixture.h"
#include "slider.h"
#include "testfiles.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QSlider>

struct LayoutFixture : BoardAppFixture {
    bool start()
    {
        app->setAppletFactories(
            {[]() -> Applet * { return new SpiRaw; }, []() -> Applet * { return new Board; }});
        if (!app->init())
            return false;
        app->start();
        return connectTo(board);
    }

    // A file of the four key lines followed by the given row lines.
    static QByteArray configText(int devices, int pixels, int rows, int cols,
                                 const QList<QByteArray> &rowLines)
    {
        QByteArray text = "NumberOfDevices " + QByteArray::number(devices) + "\nPixelsPerDevice " +
                          QByteArray::number(pixels) + "\nNumberOfRows " +
                          QByteArray::number(rows) + "\nNumberOfCols " + QByteArray::number(cols) +
                          "\n";
        for (const QByteArray &line : rowLines)
            text += line + "\n";
        return text;
    }

    // Row lines numbering the switches 1, 2, ... row by row.
    static QList<QByteArray> numberedRows(int rows, int cols)
    {
        QList<QByteArray> lines;
        for (int r = 0; r < rows; ++r) {
            QByteArrayList cells;
            for (int c = 0; c < cols; ++c)
                cells << QByteArray::number(r * cols + c + 1);
            lines << cells.join(' ');
        }
        return lines;
    }

    // Writes text to a file of the working directory and loads it; returns the number of
    // message boxes the load showed.
    int load(const QByteArray &text, const QString &name = QStringLiteral("matrix.txt"))
    {
        if (!TestFiles::write(name, text))
            qWarning("cannot write %s", qPrintable(name));
        const int before = prompt.messages().size();
        page()->loadConfiguration(name);
        return prompt.messages().size() - before;
    }
    int loadGrid(int devices, int pixels, int rows, int cols)
    {
        return load(configText(devices, pixels, rows, cols, numberedRows(rows, cols)));
    }

    QWidget *switchArea() const { return widget<QWidget>("SWwidget"); }
    QWidget *deviceArea() const { return widget<QWidget>("DeviceWidget"); }
    QSlider *position() const { return widget<QSlider>("slHorizontal"); }

    // The switch slider in grid cell (r, c), or null.
    CustomControls::Slider *sliderAt(int r, int c) const
    {
        auto *grid = qobject_cast<QGridLayout *>(switchArea()->layout());
        QLayoutItem *cell = grid ? grid->itemAtPosition(r, c) : nullptr;
        QLayout *column = cell ? cell->layout() : nullptr;
        for (int i = 0; column && i < column->count(); ++i)
            if (auto *s = qobject_cast<CustomControls::Slider *>(column->itemAt(i)->widget()))
                return s;
        return nullptr;
    }
    CustomControls::Slider *slider(int n) const
    {
        return switchArea()->findChild<CustomControls::Slider *>(QStringLiteral("SW%1").arg(n));
    }
    QList<CustomControls::Slider *> sliders() const
    {
        return switchArea()->findChildren<CustomControls::Slider *>();
    }

    // Moves a switch slider and reports the move to its binding, as a drag does.
    static void moveBound(CustomControls::Slider *s, int value)
    {
        if (!s)
            return;
        s->QSlider::setValue(value);
        emit s->sliderMoved(value);
    }

    // A DCREG field read as a pipe request does; -1 when the request fails.
    int duty(int n)
    {
        QVariant value;
        return getItem(QStringLiteral("Board.DCREG[SW%1]").arg(n), &value) ? value.toInt() : -1;
    }

    QString hint() const { return widget<QLineEdit>("leInfoBox")->text(); }
};
