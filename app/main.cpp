#include "application.h"
#include "boardglobals.h"
#include "mainapp.h"
#include "ownarguments.h"
#include "programoptions.h"
#include "qtnoisefilter.h"
#include "quitsignals.h"
#include "toolapplets.h"
#include "widgetprompt.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QuitSignals::outliveClosedPipes(); // standard error may be a pipe nobody reads any more
    QtNoiseFilter::install();
    const OwnArguments own(argc, argv); // before Qt's X11 platform takes "--name" for itself
    if (ProgramOptions::asksToTell(argc, argv))
        return ProgramOptions::tell(argc, argv); // before a display is needed
    Application application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MainApp::applyStyleSheet();

    WidgetPrompt prompt;
    Prompt::install(&prompt);
    initBoardGlobals();
    MainApp *app = MainApp::instance();
    // What a script's request tells without waiting shows in the main window's bar.
    prompt.setNoticeTarget([app](const QString &text) { return app->showNotice(text); });
    if (!ProgramOptions().apply(QCoreApplication::arguments(), app))
        return 1;
    // On a platform that shows no window nobody can answer a prompt.
    app->setUnattended(!MainApp::platformShowsWindows());
    app->setAppletFactories(toolAppletFactories());
    const int code = app->exec();
    Prompt::install(nullptr);
    return code;
}
