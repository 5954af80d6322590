#include "scriptdrag.h"

#include <QMimeData>

namespace CustomControls
{
namespace ScriptDrag
{

QString initObjectLine()
{
    return QStringLiteral("Set @%1 = GetObject(,\"%1.%2\") ")
        .arg(QLatin1String(ProjectName), QLatin1String(ObjectClass));
}

QString getLine(const QString &item)
{
    return QStringLiteral("# = @%1.get(\"%2\" ) ").arg(QLatin1String(ProjectName), item);
}

QString setLine(const QString &item)
{
    return QStringLiteral("call @%1.set(\"%2\", # ) ").arg(QLatin1String(ProjectName), item);
}

QString runLine(const QString &item, const QString &argument)
{
    return QStringLiteral("call @%1.run(\"%2\", \"%3\" ) ")
        .arg(QLatin1String(ProjectName), item, argument);
}

QString cleanUpLine()
{
    return QStringLiteral("Set @%1 = Nothing ").arg(QLatin1String(ProjectName));
}

QString plainText(const QString &item, int mode)
{
    QString text = item + QStringLiteral(" #") + QLatin1String(ProjectName) + QLatin1Char(':');
    if (mode & Get)
        text += QStringLiteral("get");
    if (mode & Set)
        text += QStringLiteral(",set");
    if (mode & Run)
        text += QStringLiteral("run");
    return text;
}

QMimeData *mimeData(const QString &item, const QString &argument, int mode)
{
    auto *data = new QMimeData;
    data->setData(QLatin1String(InitObjectFormat), initObjectLine().toLatin1());
    if (mode & Run) {
        data->setData(QLatin1String(SetDataFormat), runLine(item, argument).toLatin1());
    } else {
        if (mode & Get)
            data->setData(QLatin1String(GetDataFormat), getLine(item).toLatin1());
        if (mode & Set)
            data->setData(QLatin1String(SetDataFormat), setLine(item).toLatin1());
    }
    data->setData(QLatin1String(CleanUpFormat), cleanUpLine().toLatin1());
    data->setText(plainText(item, mode));
    return data;
}

} // namespace ScriptDrag
} // namespace CustomControls
