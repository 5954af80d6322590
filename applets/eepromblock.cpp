#include "eepromblock.h"

namespace
{

template <typename Record> using Fields = EepromBlock::Fields<Record>;

template <typename Record, typename Member>
EepromBlock::Field<Record> word(int at, Member Record::*m)
{
    return EepromBlock::field(at, 2, m);
}

template <typename Record, typename Member>
EepromBlock::Field<Record> byte(int at, Member Record::*m)
{
    return EepromBlock::field(at, 1, m);
}

// Bytes 0 to 5, alike in every block but the boost 401's: w0, b0, w1, b1.
template <typename Record> Fields<Record> leadingFields()
{
    return {word(0, &Record::w0), byte(2, &Record::b0), word(3, &Record::w1), byte(5, &Record::b1)};
}

// Bytes 0 to 14 of the buck and boost blocks of the later versions.
template <typename Record> Fields<Record> powerStageFields()
{
    return leadingFields<Record>() + Fields<Record>{word(6, &Record::w2), byte(8, &Record::b2),
                                                    word(9, &Record::w3), word(11, &Record::w4),
                                                    word(13, &Record::w5)};
}

// Bytes 0 to 9, alike in the KVL52205 and KVL52404 blocks.
Fields<DriverParams> driverFields()
{
    using R = DriverParams;
    return leadingFields<R>() + Fields<R>{word(6, &R::w2), word(8, &R::w3)};
}

} // namespace

quint32 EepromBlock::valueAt(const QByteArray &bytes, int at, int width)
{
    quint32 value = 0;
    for (int k = width - 1; k >= 0; --k) {
        const int index = at + k;
        const quint8 b = index < bytes.size() ? quint8(bytes.at(index)) : 0;
        value = (value << 8) | b;
    }
    return value;
}

QList<int> EepromBlock::badPositions(const QByteArray &primary, const QByteArray &check)
{
    QList<int> bad;
    for (int k = 0; k < primary.size(); ++k) {
        const int checkByte = k < check.size() ? quint8(check.at(k)) : 0;
        if (quint8(primary.at(k)) + checkByte != 0xFF)
            bad.append(k);
    }
    return bad;
}

QByteArray EepromBlock::bytesOfText(const QByteArray &text)
{
    QByteArray bytes;
    for (qsizetype k = 0; k + 1 < text.size(); k += 2) {
        bool ok;
        const uint value = text.mid(k, 2).toUInt(&ok, 16);
        bytes.append(char(ok ? value : 0));
    }
    return bytes;
}

const EepromBlock::Fields<DeviceConfig> &EepromBlock::configFields()
{
    using R = DeviceConfig;
    static const Fields<R> fields{
        byte(0, &R::byte0),   field(1, 3, &R::bytes1to3), field(4, 3, &R::bytes4to6),
        byte(7, &R::byte7),   byte(8, &R::byte8),         byte(9, &R::chipCode),
        byte(10, &R::byte10), byte(11, &R::byte11),       byte(12, &R::byte12),
        byte(13, &R::byte13), byte(14, &R::paramsAddress)};
    return fields;
}

const EepromBlock::Fields<DriverParams> &EepromBlock::kvl52205Fields()
{
    using R = DriverParams;
    static const Fields<R> fields =
        driverFields() + Fields<R>{word(10, &R::w4),  word(12, &R::w5),  byte(14, &R::b2),
                                   byte(15, &R::b3),  word(16, &R::w10), byte(18, &R::b5),
                                   byte(19, &R::w12), byte(20, &R::b7)};
    return fields;
}

const EepromBlock::Fields<DriverParams> &EepromBlock::kvl52404Fields()
{
    using R = DriverParams;
    static const Fields<R> fields =
        driverFields() + Fields<R>{word(10, &R::w6),  word(12, &R::w7),  word(14, &R::w8),
                                   word(16, &R::w9),  byte(18, &R::b3),  byte(19, &R::b4),
                                   word(20, &R::w10), byte(22, &R::b5),  word(23, &R::w11),
                                   byte(25, &R::b6),  word(26, &R::w12), word(28, &R::w13),
                                   byte(30, &R::b7),  byte(31, &R::b8)};
    return fields;
}

const EepromBlock::Fields<BuckParams> &EepromBlock::buckV1Fields()
{
    using R = BuckParams;
    static const Fields<R> fields =
        leadingFields<R>() + Fields<R>{word(6, &R::w3), word(8, &R::w4), byte(10, &R::b3),
                                       byte(11, &R::b4), byte(12, &R::b5)};
    return fields;
}

const EepromBlock::Fields<BuckParams> &EepromBlock::buckV3Fields()
{
    using R = BuckParams;
    static const Fields<R> fields =
        powerStageFields<R>() + Fields<R>{byte(15, &R::b3), byte(16, &R::b4), byte(17, &R::b5)};
    return fields;
}

const EepromBlock::Fields<BuckParams> &EepromBlock::buck402Fields()
{
    using R = BuckParams;
    static const Fields<R> fields =
        powerStageFields<R>() + Fields<R>{word(15, &R::w6), word(17, &R::w7),  word(19, &R::w8),
                                          word(21, &R::w9), word(23, &R::w10), word(25, &R::w11)};
    return fields;
}

const EepromBlock::Fields<BoostParams> &EepromBlock::boost401Fields()
{
    using R = BoostParams;
    static const Fields<R> fields{
        byte(0, &R::b3), byte(1, &R::b4), word(2, &R::w0),  word(4, &R::w1),  byte(6, &R::b0),
        byte(7, &R::b1), word(8, &R::w3), word(10, &R::w4), byte(12, &R::b5), byte(13, &R::b6)};
    return fields;
}

const EepromBlock::Fields<BoostParams> &EepromBlock::boostV2Fields()
{
    static const Fields<BoostParams> fields = powerStageFields<BoostParams>();
    return fields;
}
