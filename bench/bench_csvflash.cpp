// A 510-block CSV animation script flashed by the board page ("Flash MCU", the pause between
// blocks at 0) to the simulated board, against the same block lines sent bare through
// ControlBoard::send, in the same run.
#include "benchenv.h"
#include "board.h"
#include "controlboard.h"
#include "csvreader.h"
#include "fakeboard_flash.h"
#include "simulatedapp.h"

#include <QApplication>

namespace
{

// 45 devices and 243 steps, the first device repeating in steps 1 to 66: 130550 bytes,
// 510 blocks once padded.
void fillScript(CSVReader *script)
{
    constexpr int devices = 45;
    constexpr int steps = 243;
    constexpr int markers = 66;
    script->deviceCount = devices;
    script->addresses = QStringList(devices, QStringLiteral("1"));
    script->steps.clear();
    for (int s = 0; s < steps; ++s) {
        QStringList row{QString::number(s + 1)};
        for (int d = 0; d < devices; ++d) {
            const int value = (d == 0 && s <= markers) ? 0 : s % 200;
            row += QStringList(12, QString::number(value));
        }
        script->steps.append(row);
    }
}

template <typename Pass> double passMs(Pass pass)
{
    QElapsedTimer timer;
    timer.start();
    return pass() ? timer.nsecsElapsed() / 1e6 : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication application(argc, argv);
    Board::setDelayHook([](unsigned) {});
    FakeBoard board;
    FakeBoardFlash flash(board);
    double tool = 0;
    double bare = 0;
    {
        SimulatedApp app(board, {MainApp::appletFactory<Board>()});
        if (!app.started())
            return 1; // SimulatedApp said why
        auto *page = qobject_cast<Board *>(
            MainApp::instance()->findApplet(QStringLiteral("Board"), MainApp::ByName));
        if (!page)
            return env.cannotStart(QStringLiteral("no board page"));
        fillScript(page->currentCsvScript());
        ControlBoard *link = app.link();
        const auto flashPass = [&]() {
            const int before = flash.blockCount();
            page->on_pbFlashMCU_clicked();
            return flash.blockCount() - before == 510;
        };
        // The bare side sends the lines of the first pass, each with its CR again.
        if (!flashPass())
            return env.failed(QStringLiteral("the first flash pass did not send 510 blocks"));
        QList<QByteArray> lines = flash.blockLines().mid(0, 510);
        for (QByteArray &line : lines)
            line.append('\r');
        const auto barePass = [&]() {
            for (const QByteArray &line : std::as_const(lines)) {
                QByteArray answer;
                if (!link->send(line, &answer, -1))
                    return false;
            }
            return true;
        };
        // Interleaved rounds; the best of each side counts.
        for (int round = 0; round < BenchEnvironment::pick(5, 1); ++round) {
            const double t = passMs(flashPass);
            const double b = passMs(barePass);
            board.clearRecords();
            if (t < 0 || b < 0)
                return env.failed(QStringLiteral("a flash pass failed"));
            tool = round == 0 ? t : qMin(tool, t);
            bare = round == 0 ? b : qMin(bare, b);
        }
    }
    QTextStream out(stdout);
    out << "bare block lines (510), ms:     " << QString::number(bare, 'f', 1) << "\n";
    out << "Flash MCU (510 blocks), ms:     " << QString::number(tool, 'f', 1) << "\n";
    out << "Flash MCU / bare:               "
        << (bare > 0 ? QString::number(tool / bare, 'f', 2) : QStringLiteral("n/a")) << "\n";
    return tool > 0 && bare > 0 ? 0 : 1;
}
