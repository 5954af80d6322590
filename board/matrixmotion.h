#pragma once

#include <QVector>

#include <functional>

// Moves the light pattern of the matrix by one place: rotations of the switch duties and the
// sliding lines of the extended modes. It works on the board page's buffers in place and hands
// every duty it moves to the writer. Switch numbers outside 1..activeSwitchCount (and any
// buffer shorter than the layout says) are skipped, never indexed.
class MatrixMotion
{
public:
    enum class Mode {
        None,
        Switch,                // rotate duties along switch numbers 1..N
        Row,                   // rotate duties along the switches in row-major map order
        RowIndependent,        // rotate each row's duties on its own
        ExtendedSwitch,        // glide the pattern over 3N places, with sub-steps
        ExtendedRow,           // shift the profile over 3N places
        ExtendedRowIndependent // shift each row's line; what slides out is lost
    };
    using DutyWriter = std::function<void(int switchNumber, int duty)>;

    // The page's layout and duty buffers (see Board).
    struct Buffers {
        QVector<int> &dutyBySwitch;
        QVector<int> &profile;
        QVector<int> &profileTarget;
        qint32 &subStep;
        QVector<QVector<int>> &rowScratch;
        const QVector<int> &switchSequence;
        const QVector<QVector<int>> &rowSequences;
        const QVector<int> &rowSwitchCount;
        int activeSwitchCount;
        int maxRowSwitches;
    };

    MatrixMotion(const Buffers &buffers, DutyWriter writer);

    // One movement forward or backward; stepping is the sub-steps per place of the extended
    // switch mode (below 1 counts as 1).
    void move(Mode mode, bool forward, int stepping);

private:
    bool isSwitch(int n) const;
    void write(int switchNumber, int duty);
    void rotate(const QVector<int> &order, bool forward);
    QVector<int> switchOrder() const;
    QVector<int> rowMajorOrder() const;
    QVector<int> rowOrder(int row) const;
    void rotateEachRow(bool forward);
    bool hasProfile() const;
    void writeMiddleThird(int place);
    void glideSwitches(bool forward, int stepping);
    void shiftProfile(bool forward);
    void shiftRowLines(bool forward);

    Buffers m_b;
    DutyWriter m_writer;
};
