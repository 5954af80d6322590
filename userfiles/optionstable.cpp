#include "optionstable.h"

#include "optionsfile.h"
#include "programfiles.h"

QVariant OptionsTable::value(const QString &key)
{
    if (!m_values.contains(key))
        m_values.insert(key, QVariant());
    return m_values.value(key);
}

bool OptionsTable::set(const QString &key, const QVariant &value)
{
    const auto old = m_values.constFind(key);
    const bool changed = old == m_values.cend() || *old != value;
    m_values.insert(key, value);
    return changed;
}

OptionsTable::Outcome OptionsTable::read(const ProgramFiles &files,
                                         QHash<QString, QVariant> *values, QString *error) const
{
    if (!files.configNotKept().isEmpty())
        return NotKept;
    *values = m_values;
    return OptionsFile::load(files.optionsFile(), values, error) ? Done : Failed;
}

OptionsTable::Outcome OptionsTable::write(const ProgramFiles &files, QString *error) const
{
    if (!files.configNotKept().isEmpty())
        return NotKept;
    return OptionsFile::save(files.optionsFile(), m_values, error) ? Done : Failed;
}
