#include "fakematrixchip.h"

namespace
{

constexpr int EepromSize = 256;
constexpr int BufferSize = 8;

enum Csid {
    Identify = 0,
    EepromWrite = 1,
    EepromRequest = 2,
    EepromRead = 3,
    AutoAddress = 4,
    AssignAddress = 5,
    OperatingMode = 6,
    WritePxnMode = 7,
    ReadPxnMode = 8,
    OtpWrite = 9,
    OtpRequest = 10,
    OtpRead = 11,
    UartSpeed = 12,
    NormalMode = 13,
    SoftwareReset = 14,
    Mapena = 15
};

quint8 byteAt(const QByteArray &data, int i)
{
    return i < data.size() ? quint8(data.at(i)) : 0;
}

} // namespace

FakeMatrixChip::FakeMatrixChip() : buffer(BufferSize, char(0xFF))
{
    for (QByteArray &page : eeprom)
        page = QByteArray(EepromSize, char(0xFF));
    words[17] = 0x428019;
}

quint32 FakeMatrixChip::word(int n) const
{
    if (n < 0 || n >= WordCount)
        return 0;
    if (n != StatusWord)
        return words[size_t(n)];
    const quint32 mirror = (words[MapenaWord] & 1u) << 12;
    return (words[StatusWord] & ~0xF01000u) | mirror | (quint32(crcErrors) << 20);
}

void FakeMatrixChip::writeWords(int first, const QByteArray &data)
{
    for (int i = 0; 3 * i + 2 < data.size(); ++i) {
        const int n = first + i;
        if (n < 0 || n > LastWritableWord)
            continue;
        words[size_t(n)] = byteAt(data, 3 * i) | quint32(byteAt(data, 3 * i + 1)) << 8 |
                           quint32(byteAt(data, 3 * i + 2)) << 16;
    }
}

QByteArray FakeMatrixChip::readWords(int first, int count) const
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        const quint32 value = word(first + i);
        bytes.append(char(value)).append(char(value >> 8)).append(char(value >> 16));
    }
    return bytes;
}

bool FakeMatrixChip::isReadCommand(int csid)
{
    return csid == Identify || csid == EepromRead || csid == OperatingMode || csid == ReadPxnMode ||
           csid == OtpRead;
}

int FakeMatrixChip::writeLength(int csid)
{
    switch (csid) {
    case EepromWrite:
        return 10;
    case EepromRequest:
    case AssignAddress:
        return 2;
    case OtpWrite:
        return 6;
    case AutoAddress:
    case WritePxnMode:
    case OtpRequest:
    case UartSpeed:
    case NormalMode:
    case SoftwareReset:
    case Mapena:
        return 1;
    default:
        return -1;
    }
}

void FakeMatrixChip::countCrcError()
{
    if (crcErrors < 15)
        ++crcErrors;
}

quint8 FakeMatrixChip::otpCrc(quint32 map)
{
    quint8 reg = 0x76;
    for (int i = 19; i >= 0; --i) {
        const bool feedback = ((reg >> 6) & 1u) != ((map >> i) & 1u);
        reg = quint8((reg << 1) & 0x7F);
        if (feedback)
            reg ^= 0x37;
    }
    return reg;
}

QByteArray FakeMatrixChip::commandAnswer(int csid) const
{
    QByteArray answer;
    switch (csid) {
    case Identify:
        answer.append(char(ident[0])).append(char(ident[1])).append(char(ident[2]));
        answer.append(char(dlt[0])).append(char(dlt[1])).append(char(dlt[2]));
        break;
    case EepromRead:
        answer.append(char((eesa & 7) | (ees & 3) << 5 | (writeProtect ? 0x80 : 0)));
        answer.append(char(eeba)).append(buffer);
        break;
    case OperatingMode:
        answer.append(char((opmode & 15) | (frameCount & 15) << 4));
        break;
    case ReadPxnMode:
        answer.append(char(pms & 1));
        break;
    case OtpRead:
        answer.append(char((otpBank & 7) | (otps & 3) << 5 | (locked() ? 0x80 : 0)));
        for (int i = 0; i < 4; ++i)
            answer.append(char(otpMap >> (8 * i)));
        answer.append('\0');
        break;
    default:
        break;
    }
    return answer;
}

void FakeMatrixChip::command(int csid, const QByteArray &data, bool powered)
{
    const quint8 first = byteAt(data, 0);
    switch (csid) {
    case EepromWrite:
        eepromWrite(data);
        break;
    case EepromRequest:
        eepromLoad(data);
        break;
    case AutoAddress:
        if ((first & 1) && opmode < 4)
            opmode = 2;
        else if (!(first & 1) && opmode == 2)
            opmode = 1;
        break;
    case AssignAddress:
        if (opmode == 2 && powered && currentMa >= byteAt(data, 1))
            address = first & 31;
        break;
    case WritePxnMode:
        pms = first & 1;
        break;
    case OtpWrite:
        otpWrite(data);
        break;
    case OtpRequest:
        otpBank = first & 3;
        otps = 2;
        break;
    case UartSpeed:
        cspeed = first & 3;
        break;
    case NormalMode:
        if (first & 1)
            opmode = 4;
        break;
    case SoftwareReset:
        softwareReset();
        break;
    case Mapena:
        words[MapenaWord] = (words[MapenaWord] & ~1u) | (first & 1u);
        if (first & 2)
            crcErrors = 0;
        break;
    default:
        break;
    }
}

void FakeMatrixChip::eepromWrite(const QByteArray &data)
{
    eesa = byteAt(data, 0) & 7;
    eeba = byteAt(data, 1);
    if (writeProtect) {
        ees = 3;
        return;
    }
    for (int i = 0; i < BufferSize; ++i)
        eeprom[size_t(eesa)][(eeba + i) % EepromSize] = char(byteAt(data, 2 + i));
    ees = 2;
}

void FakeMatrixChip::eepromLoad(const QByteArray &data)
{
    eesa = byteAt(data, 0) & 7;
    eeba = byteAt(data, 1);
    for (int i = 0; i < BufferSize; ++i)
        buffer[i] = eeprom[size_t(eesa)].at((eeba + i) % EepromSize);
    ees = 2;
}

void FakeMatrixChip::otpWrite(const QByteArray &data)
{
    if (locked() || (byteAt(data, 0) & 3) != 2) {
        otps = 3;
        return;
    }
    for (int i = 0; i < 4; ++i)
        otpMap |= quint32(byteAt(data, 1 + i)) << (8 * i);
    otpMap &= 0x7FFFFFFu;
    otps = (otpMap >> 20) == otpCrc(otpMap) ? 2 : 3;
}

void FakeMatrixChip::softwareReset()
{
    for (int n = 0; n <= LastWritableWord; ++n)
        words[size_t(n)] = 0;
    crcErrors = 0;
    opmode = 1;
}
