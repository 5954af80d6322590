#pragma once

// Page and board agree after any sequence of actions: seeded random user actions on the board
// page of a program connected to the simulated board, with a KVL52205 or a KVL52404 driver
// board. After each action (and the live send it started) the page's model is compared with
// what the simulated board holds. Shared by the test and the soak benchmark. Header only.
#include "animationimage.h"
#include "applethelper.h"
#include "boardcommandsfixture.h"
#include "fakeboard_conf.h"
#include "fakeboard_pwm.h"
#include "fakekvl52205.h"
#include "fakekvl52404.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QRandomGenerator>
#include <QSet>

#include <memory>

// One user action on the page.
struct PageAction {
    enum Kind { Set, Run, Click, Drag, Fill, Reconnect };
    Kind kind = Reconnect;
    QString name; // item, command, widget or filled item
    qint64 value = 0;

    QString text() const
    {
        static const char *const Verbs[] = {"set", "run", "click", "drag", "fill", "reconnect"};
        QString out = QLatin1String(Verbs[kind]);
        if (!name.isEmpty())
            out += QLatin1Char(' ') + name;
        if (kind == Set || kind == Drag || kind == Fill || (kind == Run && value >= 0))
            out += QLatin1Char(' ') + QString::number(value);
        return out;
    }
};

// Where the model may differ from the board, and why. The comparison leaves exactly these out.
struct LegitimateDifference {
    const char *what;
    const char *reason;
};
inline const QList<LegitimateDifference> &legitimateDifferences()
{
    static const QList<LegitimateDifference> table{
        {"BANK, BANKX, SA, BROADCAST",
         "the bank images reach a chip only by Write_REG_n (and the live pass on the mock-up); a "
         "written word is compared right after its write"},
        {"P205STATUS, SPI_OUT_WR_TP404, SPI_OUT_RD_TP404, KVL52404 words 32..63",
         "readings: the page only shows them, a read fetches them"},
        {"IPEAK1/2, IRIPPLE1/2, IAVERAGE1/2, VLED1/2, BoostVoltage, BoostVoltageMeas, "
         "BatteryVoltage",
         "values the page computes or reads, never sent"},
        {"FREQ1/2, DUTY1/2 (while PWM dims), BOOSTFREQ",
         "sent only by their buttons (setCLKFreq1/2, setDuty1/2, setBoostCLK)"},
        {"KVL52404 words not written or read on this connection",
         "no control shows them; the set-up writes the page's defaults only"},
        {"KVL52404 words changed by name or in bulk (set, the console's Set and Fill, a "
         "register file)",
         "staged in the model until Write names the word, a control of the tab writes it or Read "
         "fetches it; such a write sends nothing"},
        {"KVL52404 word 29 (SWRESET, FSO, failure outputs)",
         "commands to the chip, which acts on them and restores its words; Read shows the result"},
        {"the KVL52205 on a KVL52404 board, the KVL52404 on a KVL52205 board",
         "the driver that is not fitted: its tab is disabled"},
        {"the live image before the first send of a connection",
         "the controller keeps what an earlier connection wrote until the page sends again"},
        {"switch duties while Autoupdate is off",
         "UPDATE sends them; ticking Autoupdate again sends them at once"},
        {"real numbers in their displays",
         "shown to a few significant digits (IAVERAGE1 3789 as 3.79k)"},
        {"live duties as steps of 0..200",
         "the image carries each duty of 0..1023 scaled to a step, truncated"},
        {"the matrix chips' supply",
         "simulated always on, so bank writes land whatever the bucks are"},
    };
    return table;
}

// The program with the board page on the simulated board.
struct AgreementFixture : BoardCommandsFixture {
    FakeBoardConf conf{board};
    FakeBoardPwm pwm{board};
};

class PageAgreement
{
public:
    PageAgreement() { f.bus.setOutputSource(nullptr); }

    bool start()
    {
        if (!TestFiles::installShippedConfiguration() || !f.start())
            return false;
        for (int output : {1, 2})
            f.bus.setOutputOn(output, true);
        f.widget<QWidget>("tabWidget"); // the form is built
        collectItems();
        console = std::make_unique<AppletHelper>(f.page(), QStringLiteral("HELP:Board"));
        m_start = snapshot();
        return true;
    }

    // The driver board the next connection finds.
    void selectDriver(FakeSpiEeprom::Image driver)
    {
        m_driver = driver;
        f.eeprom.load(FakeSpiEeprom::image(driver));
    }

    // count actions drawn from seed.
    QList<PageAction> draw(quint64 seed, int count) const
    {
        QRandomGenerator random(seed);
        QList<PageAction> actions;
        for (int i = 0; i < count; ++i)
            actions.append(drawOne(random));
        return actions;
    }

    // Connects afresh from the state the rig started in, then runs actions and compares after
    // each. How many actions had run when page and board differed (0: right after connecting;
    // -1: they never did), and the differences then.
    int run(const QList<PageAction> &actions, QStringList *differences)
    {
        f.app->disconnectBoard();
        restore(m_start);
        f.take();
        const int done = runOn(QList<PageAction>{PageAction()} + actions, differences);
        return done < 0 ? -1 : done - 1;
    }

    // Runs actions on the page as it stands and compares after each: how many had run when
    // page and board differed (-1: they never did), and the differences then. The widgets are
    // compared with the model after a connection and at the end.
    int runOn(const QList<PageAction> &actions, QStringList *differences)
    {
        for (int done = 1; done <= actions.size(); ++done) {
            const PageAction &a = actions.at(done - 1);
            perform(a);
            *differences = compare(a.kind == PageAction::Reconnect || done == actions.size());
            if (!differences->isEmpty())
                return done;
        }
        return -1;
    }

    // The shortest list found that shows a difference when run from a fresh connection, for
    // the last of sequences that showed one where it ran on from those before it: the last
    // alone, or with as few of those before it as it takes.
    QList<PageAction> reproduce(const QList<QList<PageAction>> &sequences)
    {
        QList<PageAction> list;
        QStringList differences;
        for (auto it = sequences.crbegin(); it != sequences.crend(); ++it) {
            list = *it + list;
            if (run(list, &differences) >= 0)
                return shrink(list);
        }
        return list;
    }

    // The shortest list found that still shows a difference: leaves out one action after the
    // other while the difference stays.
    QList<PageAction> shrink(QList<PageAction> failing)
    {
        QStringList differences;
        const int done = run(failing, &differences);
        if (done < 0)
            return failing;
        failing = failing.mid(0, done);
        for (int i = int(failing.size()) - 1; i >= 0; --i) {
            QList<PageAction> fewer = failing;
            fewer.removeAt(i);
            const int at = run(fewer, &differences);
            if (at >= 0)
                failing = fewer.mid(0, at);
            i = qMin(i, int(failing.size()));
        }
        return failing;
    }

    static QString describe(const QList<PageAction> &actions)
    {
        QStringList texts;
        for (const PageAction &a : actions)
            texts << a.text();
        return texts.join(QLatin1String("; "));
    }

    // What the page's model says and the simulated board does not hold, leaving out the
    // legitimate differences; with widgets, also the bound widgets that do not show the model.
    QStringList compare(bool widgets = true) const
    {
        QStringList found;
        if (widgets)
            found = widgetsOutOfStep(f.page(), QString(), 0.005);
        if (m_driver == FakeSpiEeprom::Kvl52205Board)
            found += p205Differences(f.spi);
        else
            found += p404Differences();
        found += liveDifferences() + pwmDifferences() + bankDifferences() + buckBoxDifferences();
        return found;
    }

    AgreementFixture f;

private:
    struct SetTarget {
        QString name;
        double min;
        double max;
        bool integer;
    };

    // The page's items, the state of the boxes that the set-up leaves alone, and the simulated
    // chips' registers.
    struct Snapshot {
        QHash<QString, QByteArray> registers;
        QHash<QString, QVariant> variables;
        bool autoupdate = true;
        QList<quint32> driverWords; // the KVL52205's registers, then the KVL52404's words
        QList<FakeMatrixChip> chips;
    };
    Snapshot snapshot() const
    {
        Snapshot s;
        for (const QString &item : f.page()->itemNames()) {
            const Binding *b = f.page()->binding(item);
            if (b->isRegister())
                s.registers.insert(item, b->reg->toBitString(true));
            else if (b->variable->type() == Variable::TypeString)
                s.variables.insert(item, b->variable->text());
            else
                s.variables.insert(item, b->variable->value());
        }
        s.autoupdate = f.widget<QAbstractButton>("cbAutoupdate")->isChecked();
        for (int address = 0; address < FakeKvl52205::RegisterCount; ++address)
            s.driverWords << f.spi.kvl52205Register(address);
        for (int address = 0; address < FakeKvl52404::WordCount; ++address)
            s.driverWords << f.spi.kvl52404Word(address);
        for (int k = 0; k < f.bus.chipCount(); ++k)
            s.chips << f.bus.chip(k);
        return s;
    }
    // While disconnected, so that nothing reaches the page but the next set-up's refresh.
    void restore(const Snapshot &s)
    {
        for (const QString &item : f.page()->itemNames()) {
            const Binding *b = f.page()->binding(item);
            if (b->isRegister())
                b->reg->setFromBitString(s.registers.value(item), true);
            else if (b->variable->type() == Variable::TypeString)
                b->variable->setValue(s.variables.value(item).toByteArray(), Variable::InternalKey);
            else
                b->variable->setValue(s.variables.value(item).toDouble(), Variable::InternalKey);
        }
        f.widget<QAbstractButton>("cbAutoupdate")->setChecked(s.autoupdate);
        for (int address = 0; address < FakeKvl52205::RegisterCount; ++address)
            f.spi.setKvl52205Register(address, quint16(s.driverWords.at(address)));
        for (int address = 0; address < FakeKvl52404::WordCount; ++address)
            f.spi.setKvl52404Word(address, s.driverWords.at(FakeKvl52205::RegisterCount + address));
        for (int k = 0; k < s.chips.size(); ++k)
            f.bus.editChip(k, [&s, k](FakeMatrixChip &chip) { chip = s.chips.at(k); });
    }

    // Every field or variable that a widget of the page shows, with the values it takes.
    void collectItems()
    {
        QSet<QString> seen;
        for (const QString &item : f.page()->itemNames()) {
            const Binding *b = f.page()->binding(item);
            m_fillable << item;
            for (CustomControls::UniversalControl *w : b->widgets) {
                const QString name = w->registerName(2);
                if (seen.contains(name) ||
                    (!b->isRegister() && b->variable->type() == Variable::TypeString))
                    continue;
                seen.insert(name);
                if (b->isRegister()) {
                    Register widest(*b->reg);
                    widest.setField(name, 0xFFFFFFFFu);
                    m_targets.append({name, 0, double(widest.getField(name)), true});
                } else {
                    const Variable *v = b->variable;
                    m_targets.append({name, qMax(v->min(), -1000.0), qMin(v->max(), 100000.0),
                                      v->type() == Variable::TypeInteger});
                }
            }
        }
    }

    PageAction drawOne(QRandomGenerator &random) const
    {
        // The commands that send many lines (a whole bank, all KVL52205 registers, the
        // KVL52404 defaults) come up a tenth as often as the others.
        static const QStringList Commands{"allOn",      "allOff",    "Pattern1", "Pattern2",
                                          "Pattern3",   "setDuty1",  "setDuty2", "Write_REG_",
                                          "Write_REG_", "Write_REG_"};
        static const QStringList Heavy{"restartBoost", "defaultP404", "Write_all", "Write_on_off"};
        static const QStringList Boxes{
            "cbBUCK1EN",  "cbBUCK2EN",   "cbEN1",          "cbEN2",          "cbLEDCTRL1",
            "cbLEDCTRL2", "cbPWM1",      "cbPWM2",         "cbBOOSTEN",      "cbBOOSTSRC",
            "cbBST1EN",   "cbBST2EN",    "cbBUCK1EN_P404", "cbBUCK2EN_P404", "cbLEDCTRL1P404",
            "cbPWM2P404", "cbAutoupdate"};
        static const QStringList Dials{
            "dialBoostVoltage", "dialVBOOST", "dialBCK1AVG", "dialBuck2", "SW1", "SW5", "slAll"};
        PageAction a;
        const int kind = random.bounded(200);
        if (kind < 90) {
            const SetTarget &t = m_targets.at(random.bounded(int(m_targets.size())));
            a.kind = PageAction::Set;
            a.name = t.name;
            a.value = qint64(t.min + random.bounded(t.max - t.min + 1));
        } else if (kind < 130) {
            a.kind = PageAction::Run;
            const QStringList &from = random.bounded(10) == 0 ? Heavy : Commands;
            a.name = from.at(random.bounded(int(from.size())));
            a.value = a.name == QLatin1String("Write_REG_") ? random.bounded(15) : -1;
        } else if (kind < 160) {
            a.kind = PageAction::Click;
            a.name = Boxes.at(random.bounded(int(Boxes.size())));
        } else if (kind < 180) {
            a.kind = PageAction::Drag;
            a.name = Dials.at(random.bounded(int(Dials.size())));
            a.value = random.bounded(1024);
        } else if (kind < 198) {
            a.kind = PageAction::Fill;
            a.name = m_fillable.at(random.bounded(int(m_fillable.size())));
            a.value = random.bounded(2);
        }
        return a;
    }

    void perform(const PageAction &a)
    {
        Board *page = f.page();
        m_written = -1;
        m_namedFrames = 0;
        switch (a.kind) {
        case PageAction::Set:
            page->set(a.name, double(a.value), Variable::OutsideKey);
            break;
        case PageAction::Run:
            page->run(a.value >= 0 ? a.name + QString::number(a.value) : a.name, QString());
            if (a.value >= 0)
                m_written = int(a.value);
            break;
        case PageAction::Click:
            f.widget<QAbstractButton>(qPrintable(a.name))->click();
            break;
        case PageAction::Drag:
            drag(f.widget<QAbstractSlider>(qPrintable(a.name)), int(a.value));
            break;
        case PageAction::Fill:
            console->itemCombo()->setEditText(a.name);
            console->button(a.value ? QStringLiteral("Fill 1") : QStringLiteral("Fill 0"))->click();
            break;
        case PageAction::Reconnect:
            f.app->disconnectBoard();
            noteLines(f.take());
            f.app->connectBoard(f.board.devicePath());
            m_p404Known.clear();
            m_p404Staged.clear();
            m_liveSent = false;
            break;
        }
        LiveSendProbe::flush(page);
        const QList<QByteArray> lines = f.take();
        noteLines(lines);
        if ((a.kind == PageAction::Set || a.kind == PageAction::Fill) &&
            a.name.startsWith(QLatin1String("SPI_MAPP404")))
            noteStaged(lines);
    }

    // A write of the map by name or in bulk stays in the model: it sends no frame, and the words
    // it changed wait for their Write.
    void noteStaged(const QList<QByteArray> &lines)
    {
        for (const QByteArray &line : lines)
            m_namedFrames += line.startsWith("set SPILEDCS0DATA=04");
        for (int address = 0; address < 32; ++address)
            if (p404Word(address) != f.spi.kvl52404Word(address))
                m_p404Staged.insert(address);
    }

    quint32 p404Word(int address) const
    {
        const int low = address * 21; // the map's words, 21 bits each, address 0 lowest
        return quint32(model(QStringLiteral("SPI_MAPP404[%1:%2]").arg(low + 20).arg(low)));
    }

    // A user's drag: the slider held down, moved to value, released.
    static void drag(QAbstractSlider *slider, int value)
    {
        if (!slider || !slider->isEnabled())
            return;
        slider->setSliderDown(true);
        slider->setSliderPosition(qBound(slider->minimum(), value, slider->maximum()));
        slider->setSliderDown(false);
    }

    // Which KVL52404 words the page wrote or read, and whether a live image went out.
    void noteLines(const QList<QByteArray> &lines)
    {
        for (const QByteArray &line : lines) {
            if (line.startsWith("set SPILEDCS0DATA=04")) {
                const int address = int((line.mid(20, 2).toUInt(nullptr, 16) >> 1) & 0x3F);
                m_p404Known.insert(address);
                m_p404Staged.remove(address);
            }
            if (line.startsWith("set flash=" + QByteArray::number(Board::FlashStartAddress, 16)))
                m_liveSent = true;
        }
    }

    // An item's value as the model holds it, without the page's read of it (which refreshes
    // its widgets).
    double model(const QString &name) const
    {
        const Binding *b = f.page()->binding(name.section(QLatin1Char('['), 0, 0));
        return b->isRegister() ? double(b->reg->getField(name)) : b->variable->value();
    }

    QStringList p404Differences() const
    {
        QStringList found;
        if (m_namedFrames > 0)
            found << QStringLiteral("KVL52404 frames of a write by name %1").arg(m_namedFrames);
        for (int address : m_p404Known) {
            if ((address >= 29 && address != 31) || m_p404Staged.contains(address))
                continue;
            const quint32 shown = p404Word(address);
            const quint32 chip = f.spi.kvl52404Word(address);
            if (shown != chip)
                found << QStringLiteral("KVL52404 word %1 %2/%3")
                             .arg(address)
                             .arg(shown, 0, 16)
                             .arg(chip, 0, 16);
        }
        return found;
    }

    // The live image's steps against the switch duties of the model.
    QStringList liveDifferences() const
    {
        if (!m_liveSent || !f.widget<QAbstractButton>("cbAutoupdate")->isChecked())
            return {};
        const QByteArray steps = f.liveSteps();
        QStringList found;
        for (int n = 1; n <= 12; ++n) {
            const int duty = int(model(QStringLiteral("DCREG[SW%1]").arg(n)));
            const int step = n <= steps.size() ? quint8(steps.at(n - 1)) : -1;
            if (step != AnimationImage::stepValue(duty))
                found << QStringLiteral("live SW%1 %2/%3").arg(n).arg(duty).arg(step);
        }
        return found;
    }

    // The LED-control lines: full on, off, or dimmed at a duty its button sends.
    QStringList pwmDifferences() const
    {
        QStringList found;
        for (int channel : {1, 2}) {
            const QByteArray output = channel == 1 ? "PWM0DUTY" : "PWM2DUTY";
            const bool full = model(QStringLiteral("LEDCTRL%1").arg(channel)) != 0;
            const bool dimmed = model(QStringLiteral("PWM%1").arg(channel)) != 0;
            const QByteArray duty = f.board.value(output);
            if (!dimmed && duty != (full ? "100" : "0"))
                found << QStringLiteral("%1 LEDCTRL%2 %3/%4")
                             .arg(QLatin1String(output))
                             .arg(channel)
                             .arg(full)
                             .arg(QLatin1String(duty));
        }
        if ((model(QStringLiteral("BOOSTPWM")) != 0) != f.pwm.pwm1Running())
            found << QStringLiteral("BOOSTPWM %1/%2")
                         .arg(model(QStringLiteral("BOOSTPWM")))
                         .arg(f.pwm.pwm1Running());
        return found;
    }

    // The bank word just written by Write_REG_n: into the chip at SA, or with BROADCAST 1 into
    // the chips of the device rows.
    QStringList bankDifferences() const
    {
        if (m_written < 0)
            return {};
        QList<int> targets{int(model(QStringLiteral("SA")))};
        if (model(QStringLiteral("BROADCAST")) == 1) {
            targets.clear();
            for (const QString &text : f.page()->deviceAddressTexts())
                targets << text.toInt();
        }
        const int low = m_written * 24;
        const quint32 word =
            boardGlobals().BANK.getField(QStringLiteral("[%1:%2]").arg(low + 23).arg(low));
        QStringList found;
        for (int k = 0; k < f.bus.chipCount(); ++k) {
            const FakeMatrixChip chip = f.bus.chip(k);
            if (targets.contains(chip.address) && chip.word(m_written) != word)
                found << QStringLiteral("bank word %1 of %2 %3/%4")
                             .arg(m_written)
                             .arg(chip.address)
                             .arg(word, 0, 16)
                             .arg(chip.word(m_written), 0, 16);
        }
        return found;
    }

    // The Application page's buck boxes show the fitted driver's enables.
    QStringList buckBoxDifferences() const
    {
        QStringList found;
        for (int channel : {1, 2}) {
            const QString item = m_driver == FakeSpiEeprom::Kvl52205Board
                                     ? QStringLiteral("BUCK%1[EN]").arg(channel)
                                     : QStringLiteral("SPI_MAPP404[BUCK%1_EN]").arg(channel);
            const bool shown =
                f.widget<QAbstractButton>(qPrintable(QStringLiteral("cbBUCK%1EN").arg(channel)))
                    ->isChecked();
            if (shown != (model(item) != 0))
                found
                    << QStringLiteral("cbBUCK%1EN %2/%3").arg(channel).arg(shown).arg(model(item));
        }
        return found;
    }

    Snapshot m_start;
    QList<SetTarget> m_targets;
    QStringList m_fillable;
    std::unique_ptr<AppletHelper> console;
    FakeSpiEeprom::Image m_driver = FakeSpiEeprom::Kvl52404Board;
    QSet<int> m_p404Known;
    QSet<int> m_p404Staged; // words a write by name changed, not written or read since
    int m_namedFrames = 0;  // frames sent by the last action, a write of the map by name
    bool m_liveSent = false;
    int m_written = -1;
};
