#ifndef VARIANTUTIL_H
#define VARIANTUTIL_H

#include <QVariant>

// A QVariant counts as "null" when it is invalid or holds a null string or byte array.
// (Qt 6's QVariant::isNull no longer looks into the held string or byte array.)
bool isNullVariant(const QVariant &value);

#endif // VARIANTUTIL_H
