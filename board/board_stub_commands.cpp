// Placeholders until the commands code lands; this file is deleted then.
#include "board.h"

QVariant Board::run(const QString &, const QVariant &) { return QVariant(); }
