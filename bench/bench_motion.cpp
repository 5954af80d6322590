// Position-slider movements: the time one movement of the light pattern takes in each mode on
// a matrix of 24 switches in two rows, beside 24 bare DCREG field writes in the same run and the
// running effect's shortest interval (70 ms), the budget one movement must stay far below.
#include "benchenv.h"
#include "board.h"
#include "boardglobals.h"
#include "fakeboard.h"
#include "simulatedapp.h"

#include <QApplication>
#include <QCheckBox>
#include <QSlider>
#include <QTextStream>

#include <functional>

namespace
{

constexpr double EffectIntervalMs = 70;

// Microseconds per call of step: the best of the rounds.
double microsecondsPerCall(const std::function<void()> &step)
{
    double best = 0;
    for (int round = 0; round < SimulatedApp::rounds(); ++round) {
        QElapsedTimer timer;
        timer.start();
        long count = 0;
        while (timer.elapsed() < SimulatedApp::runMs()) {
            step();
            ++count;
        }
        const double us = timer.nsecsElapsed() / 1e3 / count;
        best = round == 0 ? us : qMin(best, us);
    }
    return best;
}

struct ModeCase {
    const char *label;
    const char *box;
    void (Board::*enable)(bool);
    bool extended;
};

// Turns one mode on as the user does: its box, then the extended box.
void selectMode(Board *page, const ModeCase &mode)
{
    auto *box = page->findChild<QCheckBox *>(QLatin1String(mode.box));
    box->setChecked(true);
    (page->*mode.enable)(true);
    auto *extended = page->findChild<QCheckBox *>(QStringLiteral("cbExtended"));
    extended->setChecked(mode.extended);
    page->on_cbExtended_clicked(mode.extended);
}

} // namespace

int main(int argc, char *argv[])
{
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication application(argc, argv);
    FakeBoard board;
    SimulatedApp app(board, {MainApp::appletFactory<Board>()});
    auto *page = qobject_cast<Board *>(
        MainApp::instance()->findApplet(QStringLiteral("Board"), MainApp::ByName));
    if (!app.started())
        return 1; // SimulatedApp said why
    if (!page || !SimulatedApp::writeMatrix24(QStringLiteral("matrix24.txt")))
        return env.cannotStart(QStringLiteral("no board page, or its configuration file could "
                                              "not be written"));
    page->loadConfiguration(QStringLiteral("matrix24.txt"));
    auto *slider = page->findChild<QSlider *>(QStringLiteral("slHorizontal"));

    Register &dc = boardGlobals().DCREG;
    int duty = 0;
    // Bare: the model's field writes alone, without the register's change notices.
    dc.blockSignals(true);
    const double bare = microsecondsPerCall([&dc, &duty]() {
        duty = (duty + 1) & 1023;
        for (int sw = 1; sw <= 24; ++sw)
            dc.setField(QStringLiteral("DCREG[SW%1]").arg(sw), quint32(duty));
    });
    dc.blockSignals(false);

    const ModeCase modes[] = {
        {"switch", "cbBySW", &Board::on_cbBySW_clicked, false},
        {"row", "cbByRow", &Board::on_cbByRow_clicked, false},
        {"row-independent", "cbByRowIndependent", &Board::on_cbByRowIndependent_clicked, false},
        {"extended switch", "cbBySW", &Board::on_cbBySW_clicked, true},
        {"extended row", "cbByRow", &Board::on_cbByRow_clicked, true},
        {"extended row-independent", "cbByRowIndependent", &Board::on_cbByRowIndependent_clicked,
         true},
    };
    QTextStream out(stdout);
    const int width = 48;
    out << QStringLiteral("24 bare DCREG field writes (us):").leftJustified(width)
        << QString::number(bare, 'f', 1) << "\n";
    for (const ModeCase &mode : modes) {
        selectMode(page, mode);
        // The reference position is 5: alternating 6 and 4 moves the pattern forward and back,
        // so it never slides out and every movement changes every duty.
        slider->setValue(5);
        page->on_slHorizontal_sliderReleased();
        // A ramp over the switches, taken by Reset as the extended switch mode's pattern.
        for (int sw = 1; sw <= 24; ++sw)
            page->setDcRegister(quint8(sw), quint16(sw * 40));
        page->on_pbReset_clicked();
        int position = 6;
        const double us = microsecondsPerCall([slider, &position]() {
            slider->setValue(position);
            position = 10 - position;
        });
        out << (QStringLiteral("one movement, ") + QLatin1String(mode.label) + " (us):")
                   .leftJustified(width)
            << QString::number(us, 'f', 1) << "   x bare: " << QString::number(us / bare, 'f', 2)
            << "   share of " << EffectIntervalMs
            << " ms: " << QString::number(us / 1e3 / EffectIntervalMs * 100, 'f', 3) << " %\n";
    }
    out << QStringLiteral("shortest effect interval (ms):").leftJustified(width) << EffectIntervalMs
        << "\n";
    return 0;
}
