#include "animationimage.h"

QByteArray AnimationImage::frame(quint8 delayMs, const QList<int> &addresses, quint8 steps,
                                 const QByteArray &body)
{
    QByteArray image("START");
    image.append(char(delayMs)).append(char(addresses.size())).append(char(steps));
    for (int address : addresses)
        image.append(char(address & 0xFF));
    image.append(body);
    image.append("END");
    return image;
}

QByteArray AnimationImage::padded(QByteArray image)
{
    const int tail = int(image.size() % BlockSize);
    if (tail != 0)
        image.append(QByteArray(BlockSize - tail, '\0'));
    return image;
}

quint8 AnimationImage::stepValue(int duty)
{
    return quint8(qBound(0, duty, MaxDuty) * StepScale / MaxDuty);
}

QByteArray AnimationImage::live(const QList<int> &rowAddresses, int rows, int cols,
                                const QVector<QVector<quint8>> &pixelMap,
                                const QVector<int> &duties)
{
    QList<int> addresses;
    for (int address : rowAddresses)
        if (address != -1)
            addresses.append(address);
    QByteArray body;
    int k = 0;
    for (int r = 0; r < rows && r < rowAddresses.size(); ++r) {
        if (rowAddresses.at(r) == -1) {
            k += SwitchesPerDevice;
            continue;
        }
        const QVector<quint8> row = pixelMap.value(r);
        for (int c = 0; c < cols; ++c)
            if (row.value(c) != 0)
                body.append(char(stepValue(duties.value(k++))));
    }
    return frame(LiveDelayMs, addresses, 1, body);
}
