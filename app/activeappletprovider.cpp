#include "activeappletprovider.h"

#include "applet.h"
#include "mainapp.h"
#include "mainwindow.h"

QWidget *ActiveAppletProvider::activeAppletWidget() const
{
    Applet *applet = activeApplet();
    return applet ? applet->widget() : nullptr;
}

QString ActiveAppletProvider::activeAppletName() const
{
    Applet *applet = activeApplet();
    return applet ? applet->name() : QString();
}

Applet *ActiveAppletProvider::activeApplet()
{
    const MainWindow *window = MainApp::instance()->mainWindow();
    return window ? qobject_cast<Applet *>(window->activeSubWindowWidget()) : nullptr;
}

void ActiveAppletProvider::install()
{
    static ActiveAppletProvider provider;
    CustomControls::ScriptDragProvider::setProvider(&provider);
}
