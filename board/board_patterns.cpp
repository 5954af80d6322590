// The ready-made light patterns and the scenario files of the board page.
#include "board.h"

#include "boardlog.h"
#include "matrixpatterns.h"
#include "prompt.h"
#include "scenariofile.h"
#include "ui_board.h"

Board::PatternMode Board::patternMode() const
{
    if (ui->cbBySW->isChecked())
        return PatternMode::BySwitch;
    if (ui->cbByRow->isChecked())
        return PatternMode::ByRow;
    if (ui->cbByRowIndependent->isChecked())
        return PatternMode::ByRowIndependent;
    return PatternMode::None;
}

// The switch sequences a pattern shapes in mode, each on its own; empty ones are left out.
QVector<QVector<int>> Board::patternSequences(PatternMode mode) const
{
    QVector<QVector<int>> sequences;
    switch (mode) {
    case PatternMode::BySwitch:
        sequences.append(MatrixPatterns::numbered(activeSwitchCount));
        break;
    case PatternMode::ByRow:
        sequences.append(MatrixPatterns::rowMajor(pixelMap, NumberOfRows, NumberOfCols));
        break;
    case PatternMode::ByRowIndependent:
        sequences = MatrixPatterns::rowSequences(pixelMap, NumberOfRows, NumberOfCols);
        break;
    case PatternMode::None:
        break;
    }
    sequences.removeIf([](const QVector<int> &sequence) { return sequence.isEmpty(); });
    return sequences;
}

// Only switches 1 to activeSwitchCount have a duty; a map may name others.
bool Board::hasDutyOf(int switchNumber) const
{
    return switchNumber >= 1 && switchNumber <= activeSwitchCount &&
           switchNumber <= dutyBySwitch.size();
}

void Board::writeDuty(int switchNumber, int duty)
{
    if (!hasDutyOf(switchNumber))
        return;
    dutyBySwitch[switchNumber - 1] = duty;
    setDcRegister(quint8(switchNumber), quint16(duty));
}

// The shapes hold one duty a switch: they are made as long as the sequence.
void Board::writeDuties(const QVector<int> &switches, const QVector<int> &duties)
{
    for (qsizetype i = 0; i < switches.size(); ++i)
        writeDuty(switches.at(i), duties.at(i));
}

// Every second switch full on, from all off; successive runs alternate between the odd and
// the even switch numbers.
void Board::pattern1()
{
    const PatternMode mode = patternMode();
    if (mode == PatternMode::None || activeSwitchCount == 0)
        return;
    run(QStringLiteral("allOff"), QString());
    const quint8 bit = mode == PatternMode::BySwitch ? AlternateSwitchPhase : AlternateRowPhase;
    const int phase = (patternPhase & bit) ? 1 : 0;
    for (int n : MatrixPatterns::alternate(activeSwitchCount, phase))
        writeDuty(n, MatrixPatterns::FullDuty);
    patternPhase ^= bit;
}

// A symmetric hill over each sequence of the mode.
void Board::pattern2()
{
    for (const QVector<int> &sequence : patternSequences(patternMode()))
        writeDuties(sequence, MatrixPatterns::hill(int(sequence.size())));
}

// A ramp over each sequence of the mode; successive runs mirror it.
void Board::pattern3()
{
    const PatternMode mode = patternMode();
    const QVector<QVector<int>> sequences = patternSequences(mode);
    if (sequences.isEmpty())
        return;
    quint8 bit = RampSwitchDirection;
    if (mode == PatternMode::ByRow)
        bit = RampRowDirection;
    else if (mode == PatternMode::ByRowIndependent)
        bit = RampRowIndependentDirection;
    const bool fromLast = (patternPhase & bit) != 0;
    for (const QVector<int> &sequence : sequences)
        writeDuties(sequence, MatrixPatterns::ramp(int(sequence.size()), fromLast));
    patternPhase ^= bit;
}

void Board::on_pbPatternCustom_clicked()
{
    readScenario(Prompt::openFile(QStringLiteral("Open scenario file"),
                                  QStringLiteral("configuration"),
                                  QStringLiteral("Text files (*.txt)")));
}

// Applies a scenario file: each named switch gets its duty. A rejected file changes nothing.
void Board::readScenario(const QString &fileName)
{
    ScenarioFile scenario;
    switch (scenario.read(fileName, activeSwitchCount)) {
    case ScenarioFile::OpenFailed:
        Prompt::inform(QStringLiteral("Error"), scenario.errorString());
        return;
    case ScenarioFile::ThirdLine:
        emit signal_log(
            -1, QStringLiteral("Scenario %1 ignored: it has more than two lines").arg(fileName));
        return;
    case ScenarioFile::TooManyWords:
        emit signal_log(-1, QStringLiteral("Scenario %1 ignored: line %2 has more than %3 words")
                                .arg(fileName)
                                .arg(scenario.rejectedLine())
                                .arg(activeSwitchCount));
        return;
    case ScenarioFile::Read:
        break;
    }
    for (const QPair<int, int> &pair : scenario.pairs()) {
        qCDebug(lcBoard) << "scenario switch" << pair.first << "duty" << pair.second;
        writeDuty(pair.first, pair.second);
    }
}
