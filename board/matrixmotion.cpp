#include "matrixmotion.h"

#include <QtGlobal>

#include <algorithm>
#include <utility>

namespace
{
constexpr int MaxDuty = 1023;
}

MatrixMotion::MatrixMotion(const Buffers &buffers, DutyWriter writer)
    : m_b(buffers), m_writer(std::move(writer))
{
}

void MatrixMotion::move(Mode mode, bool forward, int stepping)
{
    switch (mode) {
    case Mode::Switch:
        rotate(switchOrder(), forward);
        break;
    case Mode::Row:
        rotate(rowMajorOrder(), forward);
        break;
    case Mode::RowIndependent:
        rotateEachRow(forward);
        break;
    case Mode::ExtendedSwitch:
        glideSwitches(forward, qMax(1, stepping));
        break;
    case Mode::ExtendedRow:
        shiftProfile(forward);
        break;
    case Mode::ExtendedRowIndependent:
        shiftRowLines(forward);
        break;
    case Mode::None:
        break;
    }
}

// A switch number that has a place in dutyBySwitch.
bool MatrixMotion::isSwitch(int n) const
{
    return n >= 1 && n <= m_b.activeSwitchCount && n <= m_b.dutyBySwitch.size();
}

// A duty goes out only for a switch that has a place in dutyBySwitch; a negative sum of the
// cross-fade shows as dark, not as the wrapped-around full duty.
void MatrixMotion::write(int switchNumber, int duty)
{
    if (isSwitch(switchNumber))
        m_writer(switchNumber, qBound(0, duty, MaxDuty));
}

// Rotates the duties of the switches in order by one place with wrap-around; forward the
// last one's duty comes round to the first.
void MatrixMotion::rotate(const QVector<int> &order, bool forward)
{
    if (order.isEmpty())
        return;
    QVector<int> &duty = m_b.dutyBySwitch;
    const int last = int(order.size()) - 1;
    const int from = forward ? last : 0;
    const int to = forward ? 0 : last;
    const int step = forward ? -1 : 1;
    const int carried = duty[order[from] - 1];
    for (int k = from; k != to; k += step) {
        const int value = duty[order[k + step] - 1];
        duty[order[k] - 1] = value;
        write(order[k], value);
    }
    duty[order[to] - 1] = carried;
    write(order[to], carried);
}

QVector<int> MatrixMotion::switchOrder() const
{
    QVector<int> order;
    const int count = qMin(m_b.activeSwitchCount, int(m_b.dutyBySwitch.size()));
    for (int n = 1; n <= count; ++n)
        order.append(n);
    return order;
}

// The switches of the map row by row, column by column: the middle third of switchSequence.
QVector<int> MatrixMotion::rowMajorOrder() const
{
    QVector<int> order;
    const int n = m_b.activeSwitchCount;
    for (int sw : m_b.switchSequence.mid(n, n))
        if (isSwitch(sw))
            order.append(sw);
    return order;
}

// One row's switches in column order, from its place 2 x maxRowSwitches on.
QVector<int> MatrixMotion::rowOrder(int row) const
{
    QVector<int> order;
    const QVector<int> places =
        m_b.rowSequences.value(row).mid(2 * m_b.maxRowSwitches, m_b.rowSwitchCount.value(row));
    for (int sw : places)
        if (isSwitch(sw))
            order.append(sw);
    return order;
}

void MatrixMotion::rotateEachRow(bool forward)
{
    for (int row = 0; row < m_b.rowSequences.size(); ++row)
        rotate(rowOrder(row), forward);
}

bool MatrixMotion::hasProfile() const
{
    const int places = 3 * m_b.activeSwitchCount;
    return places > 0 && m_b.profile.size() >= places && m_b.profileTarget.size() >= places;
}

// The middle third of the profile's places are the switches in switchSequence order.
void MatrixMotion::writeMiddleThird(int place)
{
    const int n = m_b.activeSwitchCount;
    if (place >= n && place < 2 * n)
        write(m_b.switchSequence.value(place), m_b.profile[place]);
}

// Moves the pattern of profileTarget by one sub-step: after `stepping` sub-steps in one
// direction the whole place is taken; in between each place cross-fades with the neighbour
// the pattern comes from. The first place (forward) or the last (backward) is never
// overwritten, so its content repeats into the line.
void MatrixMotion::glideSwitches(bool forward, int stepping)
{
    if (!hasProfile())
        return;
    qint32 &subStep = m_b.subStep;
    subStep += forward ? 1 : -1;
    if (qAbs(subStep) % stepping == 0)
        subStep = 0;
    QVector<int> &profile = m_b.profile;
    QVector<int> &target = m_b.profileTarget;
    const int places = 3 * m_b.activeSwitchCount;
    const int first = forward ? places - 1 : 0;
    const int end = forward ? 0 : places - 1;
    const int step = forward ? -1 : 1;
    for (int i = first; i != end; i += step) {
        const int j = i + step;
        if (subStep == 0) {
            target[i] = target[j];
            profile[i] = target[i];
        } else {
            const int d = target[j] / stepping; // truncates toward zero
            profile[i] += d;
            profile[j] -= d;
        }
        writeMiddleThird(i);
    }
}

// Shifts the whole profile by one place without sub-steps.
void MatrixMotion::shiftProfile(bool forward)
{
    if (!hasProfile())
        return;
    QVector<int> &profile = m_b.profile;
    const int places = 3 * m_b.activeSwitchCount;
    const int first = forward ? places - 1 : 0;
    const int end = forward ? 0 : places - 1;
    const int step = forward ? -1 : 1;
    for (int i = first; i != end; i += step) {
        profile[i] = profile[i + step];
        writeMiddleThird(i);
    }
}

// Shifts each row's line of 5 x maxRowSwitches + 1 places by one place; the free end takes 0,
// so what slides out of the row is lost. The row's switches sit from place 2 x maxRowSwitches.
void MatrixMotion::shiftRowLines(bool forward)
{
    const int length = 5 * m_b.maxRowSwitches + 1;
    const int start = 2 * m_b.maxRowSwitches;
    for (int row = 0; row < m_b.rowScratch.size(); ++row) {
        QVector<int> &line = m_b.rowScratch[row];
        if (line.size() != length)
            continue;
        if (forward) {
            std::move_backward(line.begin(), line.end() - 1, line.end());
            line[0] = 0;
        } else {
            std::move(line.begin() + 1, line.end(), line.begin());
            line[length - 1] = 0;
        }
        const QVector<int> sequence = m_b.rowSequences.value(row);
        const int end =
            std::min({start + m_b.rowSwitchCount.value(row), int(sequence.size()), length});
        for (int i = start; i < end; ++i)
            write(sequence[i], line[i]);
    }
}
