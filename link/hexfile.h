#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A firmware image read from Intel HEX text (data records 00 and extended linear address
// records 04). The image keeps its bytes across loads: a later file overwrites only what it
// writes. Offset 0 of the image is the address of the first data record of the loaded file
// (bits 16 to 23 taken from the first extended address record).
class HexFile
{
public:
    static constexpr int Capacity = 200000;
    // The most read from a file: the text of a whole image, 45 characters for each record of
    // 16 bytes, with room for records of a byte or two.
    static constexpr qint64 MaxTextSize = 4 * 1024 * 1024;
    // Value of image bytes that no record has written (erased flash).
    static constexpr char Erased = char(0xFF);

    enum Result {
        Loaded,    // the text was read to its end (checksum errors may have been found)
        NotOpened, // empty path or a file that cannot be read: nothing changed but the size
        BadFormat, // the text does not begin with ":0": nothing stored
        Truncated  // a record ends before its checksum: nothing stored
    };

    // How many lines with a bad checksum a report names.
    static constexpr int NamedBadLines = 5;

    struct Report {
        Result result = NotOpened;
        int checksumErrors = 0; // records whose checksum does not add up (their data are stored)
        QList<int> badLines;    // the lines (from 1) of the first NamedBadLines of those
        int skippedBytes = 0;   // data bytes whose offset lies outside the image
        QString error;          // why a file named was not read (RegularFile)
    };

    HexFile();

    // Reads a file (resource paths included) within MaxTextSize, only a regular file, and parses
    // it. The size becomes 0 first.
    Report load(const QString &path);
    // Parses HEX text into the image. The size becomes 0 first and is set only when the whole
    // text was read; a refused text leaves the image bytes untouched.
    Report parse(const QByteArray &text);

    // Number of image bytes to flash, counted from offset 0.
    int size() const { return m_size; }
    void clearSize() { m_size = 0; }
    // The first size() bytes of the image.
    QByteArray data() const { return m_image.left(m_size); }
    // The whole image of Capacity bytes.
    const QByteArray &image() const { return m_image; }

private:
    QByteArray m_image;
    int m_size = 0;
};
