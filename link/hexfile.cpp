#include "hexfile.h"

#include "regularfile.h"

#include <algorithm>

namespace
{

constexpr int TypeData = 0x00;
constexpr int TypeExtendedLinear = 0x04;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Low byte of the big-endian 16-bit value of an extended address record (0 when empty).
int extendedByte(const QByteArray &data)
{
    if (data.isEmpty())
        return 0;
    return quint8(data.at(std::min(1, int(data.size()) - 1)));
}

// Reads HEX records one after the other; every ':' starts a record wherever it stands.
class RecordReader
{
public:
    struct Record {
        int type = 0;
        quint16 address = 0;
        QByteArray data;
        bool checksumOk = false;
    };

    explicit RecordReader(const QByteArray &text) : m_text(text) {}

    // Finds the next record; false at the end of the text. *truncated tells that a record
    // started but ended (or met a character that is no hexadecimal digit) before its checksum.
    bool next(Record *record, bool *truncated)
    {
        *truncated = false;
        const int start = m_text.indexOf(':', m_pos);
        if (start < 0)
            return false;
        m_line += int(std::count(m_text.constData() + m_pos, m_text.constData() + start, '\n'));
        m_pos = start + 1;
        int count = 0, addrHi = 0, addrLo = 0, type = 0;
        if (!readByte(&count) || !readByte(&addrHi) || !readByte(&addrLo) || !readByte(&type)) {
            *truncated = true;
            return true;
        }
        // The checksum counts only the type's second digit (its first is taken as 0).
        int sum = count + addrHi + addrLo + (type & 0x0F);
        record->data.resize(count);
        for (int i = 0; i < count; ++i) {
            int byte = 0;
            if (!readByte(&byte)) {
                *truncated = true;
                return true;
            }
            record->data[i] = char(byte);
            sum += byte;
        }
        int checksum = 0;
        if (!readByte(&checksum)) {
            *truncated = true;
            return true;
        }
        record->type = type;
        record->address = quint16((addrHi << 8) | addrLo);
        record->checksumOk = ((sum + checksum) & 0xFF) == 0;
        return true;
    }

    // The line (from 1) of the record found last.
    int line() const { return m_line; }

private:
    bool readByte(int *value)
    {
        if (m_pos + 2 > m_text.size())
            return false;
        const int hi = hexDigit(m_text.at(m_pos));
        const int lo = hexDigit(m_text.at(m_pos + 1));
        if (hi < 0 || lo < 0)
            return false;
        *value = (hi << 4) | lo;
        m_pos += 2;
        return true;
    }

    const QByteArray &m_text;
    int m_pos = 0;
    int m_line = 1;
};

} // namespace

HexFile::HexFile() : m_image(Capacity, Erased) {}

HexFile::Report HexFile::load(const QString &path)
{
    m_size = 0;
    Report report;
    if (path.isEmpty())
        return report;
    QByteArray text;
    if (!RegularFile::read(path, MaxTextSize, &text, &report.error))
        return report;
    return parse(text);
}

HexFile::Report HexFile::parse(const QByteArray &text)
{
    m_size = 0;
    Report report;
    if (!text.startsWith(":0")) {
        report.result = BadFormat;
        return report;
    }

    // Work on a copy so that a refused text leaves the image as it was.
    QByteArray image = m_image;
    qint64 base = 0;
    int extended = 0;
    bool seenExtended = false;
    bool seenData = false;
    int size = 0;

    RecordReader reader(text);
    RecordReader::Record record;
    bool truncated = false;
    while (reader.next(&record, &truncated)) {
        if (truncated) {
            report.result = Truncated;
            return report;
        }
        if (!record.checksumOk && ++report.checksumErrors <= NamedBadLines)
            report.badLines.append(reader.line());
        if (record.type == TypeExtendedLinear) {
            // Only the low byte of the 16-bit value counts: it becomes address bits 16 to 23.
            extended = extendedByte(record.data);
            if (!seenExtended)
                base += qint64(extended) << 16;
            seenExtended = true;
        } else if (record.type == TypeData) {
            if (!seenData)
                base += record.address;
            seenData = true;
            const qint64 first = (qint64(extended) << 16) + record.address - base;
            for (int i = 0; i < record.data.size(); ++i) {
                const qint64 offset = first + i;
                if (offset < 0 || offset >= Capacity) {
                    ++report.skippedBytes;
                    continue;
                }
                image[int(offset)] = record.data.at(i);
                size = std::max(size, int(offset) + 1);
            }
        }
    }
    m_image = image;
    m_size = size;
    report.result = Loaded;
    return report;
}
