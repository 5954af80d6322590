#include "scriptdragprovider.h"

#include <QDrag>

namespace CustomControls
{

namespace
{
ScriptDragProvider *installedProvider = nullptr;
}

ScriptDragProvider::~ScriptDragProvider()
{
    if (installedProvider == this)
        installedProvider = nullptr;
}

Qt::DropAction ScriptDragProvider::executeDrag(QDrag *drag)
{
    return drag->exec(Qt::CopyAction);
}

ScriptDragProvider *ScriptDragProvider::provider()
{
    return installedProvider;
}

void ScriptDragProvider::setProvider(ScriptDragProvider *provider)
{
    installedProvider = provider;
}

} // namespace CustomControls
