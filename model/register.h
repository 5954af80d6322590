#ifndef REGISTER_H
#define REGISTER_H

#include "attributelist.h"
#include "bit.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

// A named, ordered list of bits (bit 0 first) built from a definition text. Consecutive bits
// with one name form a field. Fields are read and written by field expressions ("BANK[SW1]",
// "[11:0]", "REG[]"); writes are announced through signal_updateSet and some reads through
// signal_updateGet, so that the applet binding the register can talk to the board.
//
// Each register has one view (a Register that shares its bits) which every select… call
// empties and refills: use a select result at once and keep no pointer to it.
//
// Numbers exchanged with a register are unsigned 32-bit; a range wider than 32 bits repeats
// the number's bits when written (bit i takes value bit i mod 32) and ORs them when read.
class Register : public QObject
{
    Q_OBJECT
public:
    // A named field computed or held outside the bits; owned by the register it is added to.
    class Virtual
    {
    public:
        virtual ~Virtual() = default;
        virtual void setValue(quint32 value) = 0;
        virtual quint32 value() const { return m_value; }

        Register *owner() const { return m_owner; }
        void setOwner(Register *owner) { m_owner = owner; }
        QString description() const { return m_description; }
        void setDescription(const QString &description) { m_description = description; }

    protected:
        Register *m_owner = nullptr;
        quint32 m_value = 0;
        QString m_description;
    };

    // ---- construction and definition text ----
    Register();
    Register(const QString &definition, const QString &name);
    Register(int size, const QString &name);
    // Copies the bits only: name, attributes and definition are not copied; update mode 1.
    Register(const Register &other);
    ~Register() override;
    // assignFrom().
    Register &operator=(const Register &other);
    // Assignment from a number: only for registers of 1 to 32 bits (mode-governed).
    Register &operator=(quint32 value);

    void setDefinition(const QString &text);
    QString definition() const { return m_definition; }
    // Parses the items of a definition text; pos < 0 appends, otherwise inserts at pos.
    void parse(const QString &text, int pos = -1);
    // Parses one item; returns the number of bits created.
    int parseItem(const QString &item, int pos = -1);
    void indexFields();

    // ---- structure ----
    void clear();
    void clearView();
    void resize(int n);
    bool assign(const Register &other);
    Register &assignFrom(const Register &other);
    bool sameLayout(const Register *other) const;
    bool isEmpty() const { return m_bits.isEmpty(); }
    int size() const { return int(m_bits.size()); }

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    void setUpdateMode(int mode) { m_updateMode = mode; }
    // The mode of the root register (a view reports its parent's mode).
    int updateMode() const;
    bool isView() const { return m_isView; }
    void setIsView(bool isView) { m_isView = isView; }
    Register *parentRegister() const { return m_parent; }
    void setParentRegister(Register *parent) { m_parent = parent; }

    void insertBit(Bit *bit, int pos);
    void appendBits(const Register &other);
    void addToView(Bit *bit);
    void removeBits(const QString &name);
    int indexOf(const QString &name) const;
    bool contains(const QString &name) const { return indexOf(name) != -1; }
    Bit *bitByName(const QString &name) const;
    Bit *bitByName(const char *name) const;
    void setBitByName(const QString &name, int value);
    int maxFieldIndex() const;

    QString attribute(const QString &key) const;
    void setAttribute(const QString &key, const QString &value);
    QStringList attributeKeys() const;

    bool addVirtual(const QString &name, const QString &description, Virtual *field);
    Virtual *virtualField(const QString &name) const { return m_virtualFields.value(name); }
    QStringList virtualNames() const { return m_virtualFields.keys(); }

    // ---- single bits (silent); an index outside the register gives 0 or null ----
    int bit(int i) const;
    int bitValue(int i) const { return bit(i); }
    Bit *bitAt(int i) const;
    void setBit(int i, int value);

    // ---- whole value and ranges ----
    quint32 value(int from, int to);
    quint32 value(bool lsbFirst = true);
    quint32 toUInt();
    void setValue(quint32 value, bool lsbFirst = true);
    bool setValue(int a, int b, quint32 value);

    // ---- views (none emits) ----
    Register *view() const { return m_view; }
    Register *select(int from, int to);
    Register *select(const QString &text);
    Register *select(const QStringList &items);
    Register *select(const char *text);
    Register *selectByAttribute(const QString &key, const QString &value);
    Register *selectByAttributes(const QString &key, const QStringList &values);
    Register *selectRange(Register *target, int from, int to);
    Register *selectFieldIndex(Register *target, int index);

    // ---- fields by expression ----
    bool setField(const QString &expr, quint32 value);
    quint32 getField(const QString &expr) const;
    // The indices of the bits a field expression reads and writes, in field order; false when
    // the expression names no bits of this register (a virtual field, an unknown name, a
    // syntax error).
    bool fieldBits(const QString &expr, QList<int> *bits) const;
    // Changes whenever what a field expression stands for may have changed (a change of the
    // structure or of a bit's name).
    quint64 layoutGeneration() const;
    // While signal_updateSet announces a field or range write of this register: the indices
    // of the written bits. False for any other announcement (bulk writes, writes through the
    // view) and outside one.
    bool announcedBits(QList<int> *bits) const;
    bool fieldInfo(QString *name, QString *description, const QByteArray &expr) const;
    void setFieldsFromAttribute(const QString &key);
    // Writes "name<valueSeparator>decimal" pieces; returns false when a piece of another
    // shape ended the work.
    bool setFromPairs(const QString &text, char itemSeparator, char valueSeparator);

    void connectTo(QObject *receiver, const char *setSlot, const char *getSlot);

    // ---- bit strings, bytes, hexadecimal text ----
    QByteArray toBitString(bool lsbFirst = true) const;
    void setFromBitString(const QByteArray &bits, bool lsbFirst = true);
    QByteArray toByteArray(bool lsbFirst = true, bool msbFirstInByte = false);
    QString toHex(bool lsbFirst = true, bool msbFirstInByte = false);
    bool setFromByteArray(const QByteArray &bytes, int nbits = -1, int order = 1,
                          bool msbFirstInByte = false);
    bool setFromByteArray(const QByteArray &bytes, int nbits, int offset, int order,
                          bool msbFirstInByte);
    bool setFromHex(const QString &hex, int nbits = -1, int order = 1, bool msbFirstInByte = false);

    static quint32 bitStringToUInt(const QByteArray &bits);
    static QByteArray bitStringToBytes(const QByteArray &bits, bool lsbFirst, bool msbFirstInByte);
    static QByteArray bytesToBitString(const QByteArray &bytes, int n, bool lsbFirst);
    static QByteArray repeatBytes(const QByteArray &bytes, int n);
    static QByteArray stretchBits(const QByteArray &bytes, int n);

    // ---- bulk operations (announced whatever the update mode) ----
    void fill(int value, int end = -1, int start = 0);
    void invert();
    void reverse();
    Register &operator&=(const Register &other);
    Register &operator|=(const Register &other);
    Register &operator^=(const Register &other);
    Register &operator&=(quint32 value);
    Register &operator|=(quint32 value);
    Register &operator^=(quint32 value);
    Register inverted() const;
    bool operator==(const Register &other) const;
    bool operator!=(const Register &other) const { return !(*this == other); }
    bool operator==(quint32 value) const;
    bool operator!=(quint32 value) const { return !(*this == value); }
    // Silent shifts: n times one index up (bit 0 takes fill) or down (the top bit takes fill).
    void shiftUp(int n, bool fill = false);
    void shiftDown(int n, bool fill = false);

    // ---- text templates and CRC (silent, the register stays unchanged) ----
    QString format(const QString &templ, bool grouped = false, bool withVirtual = false) const;
    quint32 crc(int width, quint32 seed, quint32 poly) const;

signals:
    void signal_updateSet(QString name);
    void signal_updateGet(QString name);

private:
    using BitList = QList<Bit *>;
    using IndexList = QList<int>;
    // A field expression as setField and getField take it: a named field (its bits, or none
    // for a virtual field) or a range of bit numbers.
    struct ResolvedField {
        bool named = false;
        bool allBits = false;
        int low = 0;
        int high = 0;
        QString name;
        IndexList bits;
    };

    struct ItemDefinition;
    bool readLongForm(const QString &item, ItemDefinition &definition);
    // The bits of one item, unnumbered (see indexFields); the number of bits added.
    int addItemBits(const QString &item, int pos);
    int createFieldBits(const ItemDefinition &definition, int pos);

    // Field bit i at value bit i; bit i of a list longer than 32 ORs into value bit i mod 32.
    static quint32 packBits(const BitList &bits);
    // Bits low..high below the size, bit k at value bit k - low (bits below 0 skipped).
    quint32 readRange(qint64 low, qint64 high) const;
    Register *ensureView();
    Register *fillView(const BitList &bits);
    BitList bitsInRange(int from, int to) const;
    void ensureNameIndex() const;
    BitList bitsAt(const IndexList &indices) const;
    BitList bitsNamed(const QString &name) const;
    BitList bitsOfText(const QString &text) const;
    BitList bitsOfItems(const QStringList &items) const;
    IndexList indicesOfText(const QString &text) const;
    IndexList indicesOfItems(const QStringList &items) const;
    // The cached resolution of expr; null after a syntax error (warned, never cached).
    const ResolvedField *resolveField(const QString &expr) const;
    // The bits of each value of attribute key (an empty value for bits without it).
    const QHash<QString, IndexList> &bitsByAttribute(const QString &key) const;
    void fillTarget(Register *target, const BitList &bits);
    Register *announcer();
    void announceSet();
    void announceGet();
    void announceIf(int mode, bool changed);
    void announceBits(const IndexList &indices);
    void notifySet(Register *sender, const IndexList *bits);
    void structureChanged();
    void writeFieldBits(const BitList &bits, quint32 value);
    void writeFieldIndices(const IndexList &indices, quint32 value);
    bool writeNamed(const QString &name, quint32 value);
    void bitwise(const Register &other, int op);
    void bitwise(quint32 value, int op, int minSize, int maxSize);

    QString expandEntry(const QString &templ, const QList<Bit *> &field, bool grouped,
                        int firstIndex) const;
    QString expandVirtual(const QString &templ, const QString &name, const Virtual *field) const;

    QMap<QString, Virtual *> m_virtualFields;
    Register *m_parent = nullptr;
    Register *m_view = nullptr;
    bool m_isView = false;
    bool m_readOnly = false;
    int m_updateMode = 1;
    QString m_definition;
    QString m_name;
    BitList m_bits;
    AttributeList m_attributes;

    // Name -> bit indices, rebuilt on first use after a structure change or any bit rename.
    mutable QHash<QString, QList<int>> m_nameIndex;
    mutable bool m_nameIndexValid = false;
    mutable quint64 m_nameIndexGeneration = 0;
    // Field expressions resolved since the name index was last rebuilt, which empties it.
    mutable QHash<QString, ResolvedField> m_fieldCache;
    mutable quint64 m_layoutGeneration = 0;
    const IndexList *m_announcedBits = nullptr; // during announceBits only
    // Attribute key -> value -> bit indices, emptied by any change of the layout or of a bit's
    // attributes.
    mutable QHash<QString, QHash<QString, IndexList>> m_attributeIndex;
    mutable quint64 m_attributeIndexLayout = 0;
    mutable quint64 m_attributeIndexGeneration = 0;
};

#endif // REGISTER_H
