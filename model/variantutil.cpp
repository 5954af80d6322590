#include "variantutil.h"

#include <QByteArray>
#include <QString>

bool isNullVariant(const QVariant &value)
{
    if (!value.isValid())
        return true;
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().isNull();
    case QMetaType::QByteArray:
        return value.toByteArray().isNull();
    default:
        return false;
    }
}
