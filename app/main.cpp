#include "boardglobals.h"
#include "mainapp.h"
#include "toolapplets.h"
#include "widgetprompt.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MainApp::applyStyleSheet();

    WidgetPrompt prompt;
    Prompt::install(&prompt);
    initBoardGlobals();
    MainApp *app = MainApp::instance();
    app->setAppletFactories(toolAppletFactories());
    const int code = app->exec();
    Prompt::install(nullptr);
    return code;
}
