#ifndef VARIABLE_H
#define VARIABLE_H

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <limits>
#include <memory>

class TranslationTable;

// A named, typed value of the model (integer, real or string/byte array) with an inclusive
// range, a read-only lock, free attributes and a change announcement. Guarded writes carry an
// access key: only InternalKey passes the read-only lock.
class Variable : public QObject
{
    Q_OBJECT
public:
    enum Type { TypeNone = 0, TypeInteger = 1, TypeReal = 2, TypeString = 3 };

    // Update modes: announce after every write attempt, or only when the value changed.
    enum UpdateMode { UpdateEveryWrite = 1, UpdateOnChange = 2 };

    static constexpr int InternalKey = 0x6D2B0E17; // internal force write, passes the lock
    static constexpr int OutsideKey = 0x6D2B0E28;  // outside requests (pipe, scripts, widgets)

    Variable();
    Variable(double value, const QString &name, const QString &description, double min, double max);
    Variable(int value, const QString &name, const QString &description, double min, double max);
    explicit Variable(const QString &definition);
    Variable(const Variable &other);
    ~Variable() override;

    void reset();

    // Reading (silent).
    double value() const { return m_value; }
    QByteArray text() const { return m_text; }
    int type() const { return m_type; }
    bool isUntyped() const { return m_type == TypeNone; }
    // Whether the variable holds whole numbers: an integer variable, or a number variable whose
    // definition text names the type "integer" or "bit" (the texts give the type before the
    // value, so such a variable reads and prints as real).
    bool holdsWholeNumbers() const;
    QString name() const { return m_name; }
    QString description() const { return m_description; }
    double min() const { return m_min; }
    double max() const { return m_max; }
    bool isReadOnly() const { return m_readOnly; }
    int updateMode() const { return m_updateMode; }
    QString attribute(const QString &key) const { return m_attributes.value(key); }

    // Plain setters (unchecked, silent).
    void setName(const QString &name) { m_name = name; }
    void setDescription(const QString &description) { m_description = description; }
    void setRange(double min, double max);
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    void setType(int type) { m_type = type; }
    void setUpdateMode(int mode) { m_updateMode = mode; }
    void setAttribute(const QString &key, const QString &value) { m_attributes.insert(key, value); }

    // Guarded writes; true when the value was accepted.
    bool setValue(double value, int key);
    bool setValue(int value, int key);
    bool setValue(const QByteArray &bytes, int key);

    // Operators write with InternalKey through the guarded writes.
    Variable &operator=(const Variable &other);
    Variable &operator=(int value);
    Variable &operator=(double value);
    Variable &operator=(const QByteArray &bytes);
    Variable &operator+=(double operand);
    Variable &operator-=(double operand);
    Variable &operator*=(double operand);
    Variable &operator/=(double operand);
    Variable &operator+=(const Variable &operand);
    Variable &operator-=(const Variable &operand);
    Variable &operator*=(const Variable &operand);
    Variable &operator/=(const Variable &operand);
    bool operator==(double operand) const;
    bool operator==(const Variable &operand) const;
    bool operator!=(double operand) const;
    bool operator!=(const Variable &operand) const;
    bool operator<(double operand) const;
    bool operator>(double operand) const;

    // Typed text: "i" and an integer, "f" and a real in exponent form, "s" and a string.
    static QString toTypedText(const Variable &variable);
    QString toTypedText() const { return toTypedText(*this); }
    static Variable fromTypedText(const QString &text);

    // Connects signal_updateSet to setSlot and signal_updateGet to getSlot (SLOT() strings);
    // returns whether the second connection succeeded.
    bool connectTo(QObject *receiver, const char *setSlot, const char *getSlot);

    // Reads a definition text such as "@variable=SA@type=integer@value=1@min=-1@max=31".
    void parse(const QString &definition);

    // Value translation; the variable owns its table (a copy of the one given).
    void setTranslation(const TranslationTable &table);
    const TranslationTable *translation() const { return m_translation.get(); }
    bool hasTranslation() const { return m_translation != nullptr; }
    Variable translated() const;
    QString translatedText() const;
    bool setTranslatedValue(const Variable &translatedValue);
    bool setTranslatedText(const QByteArray &bytes);
    bool setTranslatedText(const QString &text);

signals:
    void signal_updateSet(QString name);
    void signal_updateGet(QString name);

private:
    void announce(bool changed);
    void applyDefinitionItem(const QString &key, const QString &value);
    Variable &applyArithmetic(double result);

    int m_updateMode = UpdateOnChange;
    std::unique_ptr<TranslationTable> m_translation;
    QString m_description;
    QString m_name;
    QByteArray m_text;
    double m_value = 0.0;
    double m_min = -std::numeric_limits<double>::max();
    double m_max = std::numeric_limits<double>::max();
    bool m_readOnly = false;
    int m_type = TypeNone;
    bool m_declaredWhole = false; // the definition's type word was "integer" or "bit"
    QHash<QString, QString> m_attributes;
};

#endif // VARIABLE_H
