#include "register.h"

#include "modellog.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <utility>

namespace
{

bool shouldAnnounce(int mode, bool changed)
{
    return mode == 0 || (mode == 1 && changed);
}

quint32 valueBit(quint32 value, qint64 i)
{
    return (value >> (i % 32)) & 1u;
}

// Writes one bit and reports whether its value changed.
bool writeBit(Bit *bit, quint32 value)
{
    const quint8 v = value ? 1 : 0;
    if (bit->value() == v)
        return false;
    bit->setValue(v);
    return true;
}

// A bit number of a select item; digit runs too long for a number lie above every bit.
qint64 bitNumber(const QString &digits)
{
    bool ok = false;
    const qint64 n = digits.toLongLong(&ok);
    return ok ? n : std::numeric_limits<qint64>::max();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction and definition text

Register::Register() = default;

Register::Register(const QString &definition, const QString &name)
{
    m_name = name;
    m_definition = definition;
    parse(definition, -1);
}

Register::Register(int size, const QString &name)
{
    resize(size);
    m_name = name;
}

Register::Register(const Register &other) : QObject()
{
    assign(other);
}

Register::~Register()
{
    clear();
    delete m_view;
}

Register &Register::operator=(const Register &other)
{
    return assignFrom(other);
}

Register &Register::operator=(quint32 value)
{
    bool changed = false;
    if (size() >= 1 && size() <= 32) {
        for (int i = 0; i < size(); ++i)
            changed |= writeBit(m_bits.at(i), valueBit(value, i));
    }
    announceIf(m_updateMode, changed);
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Structure

void Register::clear()
{
    if (!m_isView)
        qDeleteAll(m_bits);
    m_bits.clear();
    qDeleteAll(m_virtualFields);
    m_virtualFields.clear();
    if (m_view)
        m_view->clear(); // the view must not keep pointers to deleted bits
    structureChanged();
}

void Register::clearView()
{
    if (m_view)
        m_view->clear();
}

void Register::resize(int n)
{
    if (m_isView || n <= size())
        return;
    m_bits.reserve(n);
    while (size() < n) {
        Bit *bit = new Bit;
        bit->setName(QStringLiteral("_"));
        m_bits.append(bit);
    }
    indexFields();
    structureChanged();
}

bool Register::assign(const Register &other)
{
    if (&other == this)
        return size() >= 1;
    if (sameLayout(&other)) {
        for (int i = 0; i < size(); ++i)
            m_bits.at(i)->setValue(other.m_bits.at(i)->value());
        return true;
    }
    if (!isEmpty() || m_isView)
        return false;
    resize(other.size());
    for (int i = 0; i < size(); ++i)
        *m_bits.at(i) = *other.m_bits.at(i);
    structureChanged();
    return true;
}

Register &Register::assignFrom(const Register &other)
{
    assign(other);
    return *this;
}

bool Register::sameLayout(const Register *other) const
{
    if (!other || other->size() != size() || size() < 1)
        return false;
    for (int i = 0; i < size(); ++i) {
        if (m_bits.at(i)->name() != other->m_bits.at(i)->name())
            return false;
    }
    return true;
}

int Register::updateMode() const
{
    const Register *root = this;
    for (int depth = 0; root->m_isView && root->m_parent && depth < 64; ++depth)
        root = root->m_parent;
    return root->m_updateMode;
}

void Register::insertBit(Bit *bit, int pos)
{
    if (!bit)
        return;
    if (pos < 0 || pos >= size())
        m_bits.append(bit);
    else
        m_bits.insert(pos, bit);
    structureChanged();
}

void Register::appendBits(const Register &other)
{
    const BitList bits = other.m_bits; // other may be this register
    for (Bit *bit : bits)
        m_bits.append(m_isView ? bit : new Bit(*bit));
    if (!m_isView)
        indexFields();
    structureChanged();
}

void Register::addToView(Bit *bit)
{
    if (!m_view || !bit)
        return;
    m_view->m_bits.append(bit);
    m_view->structureChanged();
}

void Register::removeBits(const QString &name)
{
    BitList kept;
    for (Bit *bit : std::as_const(m_bits)) {
        if (bit->name() != name)
            kept.append(bit);
        else if (!m_isView)
            delete bit;
    }
    if (kept.size() == m_bits.size())
        return;
    m_bits = kept;
    if (m_view)
        m_view->clear();
    if (!m_isView)
        indexFields();
    structureChanged();
}

int Register::indexOf(const QString &name) const
{
    const BitList bits = bitsNamed(name);
    return bits.isEmpty() ? -1 : int(m_bits.indexOf(bits.first()));
}

Bit *Register::bitByName(const QString &name) const
{
    const BitList bits = bitsNamed(name);
    return bits.isEmpty() ? nullptr : bits.first();
}

Bit *Register::bitByName(const char *name) const
{
    return bitByName(QString::fromLatin1(name));
}

void Register::setBitByName(const QString &name, int value)
{
    if (name.isEmpty())
        return;
    if (Bit *bit = bitByName(name))
        bit->setValue(value ? 1 : 0);
}

int Register::maxFieldIndex() const
{
    if (m_bits.isEmpty())
        return 0;
    int result = m_bits.first()->fieldIndex();
    for (const Bit *bit : m_bits)
        result = qMax(result, bit->fieldIndex());
    return result;
}

QString Register::attribute(const QString &key) const
{
    return m_attributes.value(key);
}

void Register::setAttribute(const QString &key, const QString &value)
{
    m_attributes.set(key, value);
}

QStringList Register::attributeKeys() const
{
    return m_attributes.keys();
}

bool Register::addVirtual(const QString &name, const QString &description, Virtual *field)
{
    if (!field || name.isEmpty() || contains(name))
        return false;
    field->setOwner(this);
    if (field->description().isEmpty())
        field->setDescription(description);
    Virtual *previous = m_virtualFields.value(name);
    if (previous != field)
        delete previous;
    m_virtualFields.insert(name, field);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Single bits

int Register::bit(int i) const
{
    const Bit *b = bitAt(i);
    return b ? b->value() : 0;
}

Bit *Register::bitAt(int i) const
{
    if (i < 0 || i >= size()) {
        qCWarning(lcModel, "Register %s: bit %d outside 0..%d", qPrintable(m_name), i, size() - 1);
        return nullptr;
    }
    return m_bits.at(i);
}

void Register::setBit(int i, int value)
{
    if (i >= 0 && i < size())
        m_bits.at(i)->setValue(value ? 1 : 0);
}

// ---------------------------------------------------------------------------------------------
// Whole value and ranges

quint32 Register::packBits(const BitList &bits)
{
    quint32 result = 0;
    for (qsizetype i = 0; i < bits.size(); ++i) {
        if (bits.at(i)->value())
            result |= 1u << (i % 32);
    }
    return result;
}

quint32 Register::readRange(qint64 low, qint64 high) const
{
    high = qMin<qint64>(high, size() - 1);
    quint32 result = 0;
    for (qint64 k = qMax<qint64>(low, 0); k <= high; ++k) {
        if (m_bits.at(k)->value())
            result |= 1u << ((k - low) % 32);
    }
    return result;
}

quint32 Register::value(int from, int to)
{
    announceGet();
    return readRange(qMin(from, to), qMax(from, to));
}

quint32 Register::value(bool lsbFirst)
{
    announceGet();
    quint32 result = 0;
    const int n = size();
    for (int i = 0; i < n; ++i) {
        if (m_bits.at(lsbFirst ? i : n - 1 - i)->value())
            result |= 1u << (i % 32);
    }
    return result;
}

quint32 Register::toUInt()
{
    announceGet();
    return value(true);
}

void Register::setValue(quint32 value, bool lsbFirst)
{
    bool changed = false;
    const int n = size();
    for (int i = 0; i < n; ++i)
        changed |= writeBit(m_bits.at(lsbFirst ? i : n - 1 - i), valueBit(value, i));
    announceIf(updateMode(), changed);
}

bool Register::setValue(int a, int b, quint32 value)
{
    const qint64 lo = qMin(quint32(a), quint32(b));
    const qint64 hi = qMin<qint64>(qMax(quint32(a), quint32(b)), size() - 1);
    bool changed = false;
    for (qint64 k = lo; k <= hi; ++k)
        changed |= writeBit(m_bits.at(k), valueBit(value, k - lo));
    if (!shouldAnnounce(m_updateMode, changed))
        return hi >= lo;
    if (announcer() != this) {
        announceSet();
        return hi >= lo;
    }
    IndexList written;
    for (qint64 k = lo; k <= hi; ++k)
        written.append(int(k));
    announceBits(written);
    return hi >= lo;
}

// ---------------------------------------------------------------------------------------------
// Views

Register *Register::ensureView()
{
    if (!m_view) {
        m_view = new Register;
        m_view->m_isView = true;
        m_view->m_name = m_name;
        m_view->m_parent = this;
    }
    return m_view;
}

Register *Register::fillView(const BitList &bits)
{
    Register *view = ensureView();
    view->m_bits = bits;
    view->structureChanged();
    return view;
}

Register::BitList Register::bitsInRange(int from, int to) const
{
    if (to < 0 || to >= size())
        to = size() - 1;
    from = qMax(from, 0);
    BitList bits;
    for (int i = from; i <= to; ++i)
        bits.append(m_bits.at(i));
    return bits;
}

void Register::ensureNameIndex() const
{
    const quint64 generation = Bit::nameGeneration();
    if (m_nameIndexValid && m_nameIndexGeneration == generation)
        return;
    m_nameIndex.clear();
    m_fieldCache.clear();
    for (int i = 0; i < size(); ++i)
        m_nameIndex[m_bits.at(i)->name()].append(i);
    m_nameIndexValid = true;
    m_nameIndexGeneration = generation;
    ++m_layoutGeneration;
}

quint64 Register::layoutGeneration() const
{
    ensureNameIndex();
    return m_layoutGeneration;
}

Register::BitList Register::bitsAt(const IndexList &indices) const
{
    BitList bits;
    bits.reserve(indices.size());
    for (int i : indices)
        bits.append(m_bits.at(i));
    return bits;
}

Register::BitList Register::bitsNamed(const QString &name) const
{
    ensureNameIndex();
    return bitsAt(m_nameIndex.value(name));
}

Register::BitList Register::bitsOfText(const QString &text) const
{
    return bitsAt(indicesOfText(text));
}

Register::BitList Register::bitsOfItems(const QStringList &items) const
{
    return bitsAt(indicesOfItems(items));
}

Register::IndexList Register::indicesOfText(const QString &text) const
{
    if (text.contains(QLatin1Char(';')))
        return indicesOfItems(text.split(QLatin1Char(';')));
    ensureNameIndex();
    return m_nameIndex.value(text);
}

Register::IndexList Register::indicesOfItems(const QStringList &items) const
{
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("(([0-9]+):([0-9]+))|([0-9]+)")));
    ensureNameIndex();
    IndexList indices;
    for (const QString &item : items) {
        const QRegularExpressionMatch match = number.match(item);
        if (!match.hasMatch()) {
            indices.append(m_nameIndex.value(item));
            continue;
        }
        const bool single = match.capturedLength(4) > 0;
        const qint64 first = bitNumber(match.captured(single ? 4 : 2));
        const qint64 last = single ? first : bitNumber(match.captured(3));
        for (qint64 i = first; i <= last && i < size(); ++i)
            indices.append(int(i));
    }
    return indices;
}

Register *Register::select(int from, int to)
{
    return fillView(bitsInRange(from, to));
}

Register *Register::select(const QString &text)
{
    return fillView(bitsOfText(text));
}

Register *Register::select(const QStringList &items)
{
    return fillView(bitsOfItems(items));
}

Register *Register::select(const char *text)
{
    return select(QString::fromLatin1(text));
}

Register *Register::selectByAttribute(const QString &key, const QString &value)
{
    return selectByAttributes(key, QStringList{value});
}

Register *Register::selectByAttributes(const QString &key, const QStringList &values)
{
    const QHash<QString, IndexList> &byValue = bitsByAttribute(key);
    BitList bits;
    for (const QString &value : values)
        bits.append(bitsAt(byValue.value(value)));
    return fillView(bits);
}

// Map words are selected by their address attribute again and again: the bits of each value
// are gathered once per layout.
const QHash<QString, Register::IndexList> &Register::bitsByAttribute(const QString &key) const
{
    const quint64 layout = layoutGeneration();
    const quint64 attributes = Bit::attributeGeneration();
    if (layout != m_attributeIndexLayout || attributes != m_attributeIndexGeneration) {
        m_attributeIndex.clear();
        m_attributeIndexLayout = layout;
        m_attributeIndexGeneration = attributes;
    }
    auto it = m_attributeIndex.find(key);
    if (it == m_attributeIndex.end()) {
        QHash<QString, IndexList> byValue;
        for (int i = 0; i < size(); ++i)
            byValue[m_bits.at(i)->attribute(key)].append(i);
        it = m_attributeIndex.insert(key, byValue);
    }
    return it.value();
}

void Register::fillTarget(Register *target, const BitList &bits)
{
    target->clear();
    target->m_isView = true;
    target->m_parent = this;
    target->m_bits = bits;
    target->structureChanged();
}

Register *Register::selectRange(Register *target, int from, int to)
{
    if (!target || target == this)
        return nullptr;
    fillTarget(target, bitsInRange(from, to));
    return target;
}

Register *Register::selectFieldIndex(Register *target, int index)
{
    if (!target || target == this)
        return nullptr;
    BitList bits;
    for (Bit *bit : std::as_const(m_bits)) {
        if (bit->fieldIndex() == index)
            bits.append(bit);
    }
    fillTarget(target, bits);
    return target;
}

// ---------------------------------------------------------------------------------------------
// Fields by expression. Named fields are gathered into a private bit list instead of the
// register's public view, so a caller's select result survives these calls.

void Register::writeFieldBits(const BitList &bits, quint32 value)
{
    bool changed = false;
    for (qsizetype i = 0; i < bits.size(); ++i)
        changed |= writeBit(bits.at(i), valueBit(value, i));
    if (shouldAnnounce(updateMode(), changed))
        notifySet(this, nullptr);
}

void Register::writeFieldIndices(const IndexList &indices, quint32 value)
{
    bool changed = false;
    for (qsizetype i = 0; i < indices.size(); ++i)
        changed |= writeBit(m_bits.at(indices.at(i)), valueBit(value, i));
    if (shouldAnnounce(updateMode(), changed))
        announceBits(indices);
}

bool Register::writeNamed(const QString &name, quint32 value)
{
    const BitList bits = bitsOfText(name);
    if (!bits.isEmpty()) {
        writeFieldBits(bits, value);
        return true;
    }
    if (Virtual *field = m_virtualFields.value(name)) {
        field->setValue(value);
        return true;
    }
    return false;
}

void Register::connectTo(QObject *receiver, const char *setSlot, const char *getSlot)
{
    if (receiver && setSlot)
        connect(this, SIGNAL(signal_updateSet(QString)), receiver, setSlot);
    if (receiver && getSlot)
        connect(this, SIGNAL(signal_updateGet(QString)), receiver, getSlot);
    ensureView();
}

// ---------------------------------------------------------------------------------------------
// Announcements

Register *Register::announcer()
{
    return (m_isView && m_parent) ? m_parent : this;
}

void Register::announceSet()
{
    notifySet(announcer(), nullptr);
}

void Register::announceGet()
{
    emit signal_updateGet(m_name);
}

void Register::announceIf(int mode, bool changed)
{
    if (shouldAnnounce(mode, changed))
        announceSet();
}

// Announces a write of this register's own bits, telling the receivers which bits it wrote.
void Register::announceBits(const IndexList &indices)
{
    notifySet(this, &indices);
}

// Emits sender's change notice; bits are the bits of sender written (null: not told).
void Register::notifySet(Register *sender, const IndexList *bits)
{
    const IndexList *outer = std::exchange(sender->m_announcedBits, bits);
    emit sender->signal_updateSet(m_name);
    sender->m_announcedBits = outer;
}

bool Register::announcedBits(QList<int> *bits) const
{
    if (!m_announcedBits)
        return false;
    *bits = *m_announcedBits;
    return true;
}

void Register::structureChanged()
{
    m_nameIndexValid = false;
}
