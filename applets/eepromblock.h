#pragma once

#include "eepromrecords.h"

#include <QByteArray>
#include <QList>

#include <functional>

// The storage and the decoding tables of the blocks in the LED-driver board's EEPROM. A block
// is a length byte, the primary copy, and 480 bytes after the primary copy a check copy whose
// every byte is 255 minus the primary byte.
class EepromBlock
{
public:
    static constexpr int CheckCopyOffset = 480;

    // One field of a decoding table: width little-endian bytes from block byte at.
    template <typename Record> struct Field {
        int at;
        int width;
        std::function<void(Record &, quint32)> store;
    };
    template <typename Record> using Fields = QList<Field<Record>>;

    template <typename Record, typename Member>
    static Field<Record> field(int at, int width, Member Record::*member)
    {
        return {at, width,
                [member](Record &record, quint32 value) { record.*member = Member(value); }};
    }

    // Writes every field of the table into record; bytes beyond the block read as 0.
    template <typename Record>
    static void decode(Record &record, const QByteArray &bytes, const Fields<Record> &fields)
    {
        for (const Field<Record> &f : fields)
            f.store(record, valueAt(bytes, f.at, f.width));
    }

    // The little-endian number of width bytes from at; a byte beyond the end reads 0.
    static quint32 valueAt(const QByteArray &bytes, int at, int width);
    // The positions whose primary and check bytes do not add up to 255, ascending.
    static QList<int> badPositions(const QByteArray &primary, const QByteArray &check);
    // The bytes of a text of hexadecimal pairs; a pair that does not parse counts as 0.
    static QByteArray bytesOfText(const QByteArray &text);

    // The device configuration block, 15 bytes.
    static const Fields<DeviceConfig> &configFields();
    // The driver parameter blocks of the KVL52205 (21 bytes) and the KVL52404 (32 bytes).
    static const Fields<DriverParams> &kvl52205Fields();
    static const Fields<DriverParams> &kvl52404Fields();
    // The buck blocks of the first and third version and of the 402/403 boards.
    static const Fields<BuckParams> &buckV1Fields();
    static const Fields<BuckParams> &buckV3Fields();
    static const Fields<BuckParams> &buck402Fields();
    // The boost blocks of the 401 board and of the second version.
    static const Fields<BoostParams> &boost401Fields();
    static const Fields<BoostParams> &boostV2Fields();
};
