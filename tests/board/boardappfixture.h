#pragma once

// The program with the SPI tools and the board page, connected to a FakeBoard with the
// controller's PWM outputs; the page's accessors are shared with the matrix fixture. Header
// only.
#include "board.h"
#include "boardglobals.h"
#include "controlboard.h"
#include "fakeboard_pwm.h"
#include "lineedit.h"
#include "register.h"
#include "spiappfixture.h"
#include "universalcontrol.h"
#include "variable.h"

#include <QAbstractSlider>
#include <QComboBox>
#include <QSpinBox>
#include <QtTest>

// The board page of a started program and its items, on either fixture base.
template <typename Base> struct BoardPageFixture : Base {
    // Starts the program with the SPI tools, extra and the page, in the program's order.
    bool launch(QList<MainApp::AppletFactory> extra = {})
    {
        extra.prepend(MainApp::appletFactory<SpiEEPROM>());
        extra.prepend(MainApp::appletFactory<SpiRaw>());
        extra << MainApp::appletFactory<Board>() << MainApp::appletFactory<SpiRaw4B>();
        return Base::launch(extra);
    }

    Board *page() const
    {
        return qobject_cast<Board *>(
            this->app->findApplet(QStringLiteral("Board"), MainApp::ByName));
    }
    template <typename T> T *widget(const char *name) const
    {
        return page()->template findChild<T *>(QLatin1String(name));
    }

    QVariant run(const QString &command, const QVariant &args = QString())
    {
        return page()->run(command, args);
    }
    // The lines taken once everything sent so far has reached the board: a read of its own
    // follows them through the link, and is left out. "<link>" when the read failed to come.
    QList<QByteArray> takeSettled()
    {
        const QByteArray marker = QByteArrayLiteral("get SETTLED");
        QByteArray answer;
        Base::app->controlBoard()->send(marker, &answer);
        QList<QByteArray> lines = Base::take();
        if (lines.isEmpty() || lines.takeLast() != marker)
            lines.append(QByteArrayLiteral("<link>"));
        return lines;
    }
    // A page item ("P205STATUS[VLED1]", "BANK[TR1]", "IPEAK1") with the internal key.
    void set(const QString &name, const QVariant &value)
    {
        QVERIFY2(page()->set(name, value, Variable::InternalKey), qPrintable(name));
    }
    double item(const QString &name) const
    {
        return page()->get(name, Variable::InternalKey).toDouble();
    }
};

// The bound widgets of page (as "object: shown, item value"; of the items named prefix... only,
// when given) that do not show their item's value as far as they can show it: boxes show
// whether it is 0, sliders, dials and spin boxes the value within their range, combo boxes an
// index they hold; numbers to within 1 (or the relative part of the value, for displays that
// round to a few digits).
inline QStringList widgetsOutOfStep(const Applet *page, const QString &prefix = QString(),
                                    double relative = 0)
{
    const auto showable = [](CustomControls::UniversalControl *w, double model) -> double {
        if (w->type() == CustomControls::UniversalControl::CheckBoxControl)
            return model != 0;
        if (auto *slider = dynamic_cast<QAbstractSlider *>(w))
            return qBound(double(slider->minimum()), model, double(slider->maximum()));
        if (auto *spin = dynamic_cast<QSpinBox *>(w))
            return qBound(double(spin->minimum()), model, double(spin->maximum()));
        if (auto *combo = dynamic_cast<QComboBox *>(w))
            return model >= 0 && model < combo->count() ? model : -1;
        return model;
    };
    QStringList found;
    for (const QString &name : page->itemNames()) {
        if (!name.startsWith(prefix))
            continue;
        const Binding *b = page->binding(name);
        for (CustomControls::UniversalControl *w : b->widgets) {
            if (!b->isRegister() && b->variable->type() == Variable::TypeString)
                continue;
            const double model =
                b->isRegister() ? b->reg->getField(w->registerName(2)) : b->variable->value();
            // A decimal field may show a fraction (the page writes some results so).
            auto *edit = dynamic_cast<CustomControls::LineEdit *>(w);
            bool fraction = false;
            const double typed = edit && edit->base() == 10 ? edit->text().toDouble(&fraction) : 0;
            const double shown = fraction ? typed : w->value();
            if (qAbs(shown - showable(w, model)) >= qMax(1.0, relative * qAbs(model)))
                found << QStringLiteral("%1: %2, %3")
                             .arg(dynamic_cast<QObject *>(w)->objectName())
                             .arg(shown)
                             .arg(model);
        }
    }
    return found;
}

// Reaches what the driver detection and the applet framework set inside the page.
struct PowerProbe {
    static void setScales(Board *page, quint16 peak, quint16 ripple)
    {
        page->peakScale1 = page->peakScale2 = peak;
        page->rippleScale1 = page->rippleScale2 = ripple;
    }
    static void setPeakScales(Board *page, quint16 one, quint16 two)
    {
        page->peakScale1 = one;
        page->peakScale2 = two;
    }
    static void setRippleScales(Board *page, quint16 one, quint16 two)
    {
        page->rippleScale1 = one;
        page->rippleScale2 = two;
    }
    static void setChipCode(Board *page, int code) { page->driverConfig.chipCode = code; }
    static void setFromButton(Board *page, bool on) { page->triggeredByControl = on; }
    static void average(Board *page, int channel) { page->calculateIAVERAGE(channel); }
    static quint16 p205Image(const Board *page, int address)
    {
        return page->p205RegisterImage[address];
    }
};

// Whether the page's live send waits for its timer; runs it at once, as the timer would when it
// ran out.
struct LiveSendProbe {
    static bool pending(const Board *page) { return page->sendTimer->isActive(); }
    static bool flush(Board *page)
    {
        if (!page->sendTimer->isActive())
            return false;
        page->sendTimer->stop();
        page->onSendTimeout();
        return true;
    }
};

// The KVL52205 fields of the page's model that the chip's registers do not hold, as
// "ITEM[FIELD] model/chip".
inline QStringList p205Differences(const FakeBoardSpi &spi)
{
    const struct {
        Register BoardGlobals::*item;
        const char *name, *field;
        int address, shift, width;
    } fields[] = {{&BoardGlobals::BOOSTP205, "BOOSTP205", "[SRC]", 1, 0, 1},
                  {&BoardGlobals::BOOSTP205, "BOOSTP205", "[EN]", 2, 5, 1},
                  {&BoardGlobals::BOOSTP205, "BOOSTP205", "[VSETPOINT]", 3, 0, 7},
                  {&BoardGlobals::BUCK1, "BUCK1", "[VTHR]", 4, 0, 8},
                  {&BoardGlobals::BUCK2, "BUCK2", "[VTHR]", 5, 0, 8},
                  {&BoardGlobals::BUCK1, "BUCK1", "[TOFF_SET]", 6, 6, 4},
                  {&BoardGlobals::BUCK2, "BUCK2", "[TOFF_SET]", 6, 2, 4},
                  {&BoardGlobals::BUCK1, "BUCK1", "[EN]", 6, 1, 1},
                  {&BoardGlobals::BUCK2, "BUCK2", "[EN]", 6, 0, 1}};
    QStringList found;
    for (const auto &f : fields) {
        const quint32 model = (boardGlobals().*f.item).getField(QLatin1String(f.field));
        const quint32 chip = (spi.kvl52205Register(f.address) >> f.shift) & ((1u << f.width) - 1);
        if (model != chip)
            found << QStringLiteral("%1%2 %3/%4").arg(f.name, f.field).arg(model).arg(chip);
    }
    return found;
}

// The driver chips' words among lines, "w" or "r" and the address each (KVL52404 frames and
// KVL52205 words, one per transfer), apart by spaces.
inline QString chipWords(const QList<QByteArray> &lines)
{
    QStringList words;
    for (const QByteArray &line : lines) {
        const unsigned head = line.mid(line.indexOf('=') + 3, 2).toUInt(nullptr, 16);
        if (line.startsWith("set SPILEDCS0DATA=04"))
            words << QStringLiteral("%1%2").arg(head & 0x80 ? 'w' : 'r').arg((head & 0x7F) >> 1);
        else if (line.startsWith("set SPI0CS0DATA=02"))
            words << (head & 0x80 ? QStringLiteral("w%1").arg((head >> 3) & 0xF)
                                  : QStringLiteral("r%1").arg((head >> 2) & 0x1F));
    }
    return words.join(QLatin1Char(' '));
}

struct BoardAppFixture : BoardPageFixture<SpiAppFixture> {
    bool start() { return launch() && connectTo(board); }

    // Name-based write and read of "Board.ITEM[FIELD]", as pipe requests make them.
    bool setItem(const QString &name, QVariant value) { return app->set(name, value); }
    bool getItem(const QString &name, QVariant *value) { return app->get(name, value); }

    FakeBoardPwm pwm{board};
};

using PowerAppFixture = BoardAppFixture;
