#include "application.h"
#include "boardglobals.h"
#include "mainapp.h"
#include "ownarguments.h"
#include "pipename.h"
#include "programfiles.h"
#include "qtnoisefilter.h"
#include "quitsignals.h"
#include "toolapplets.h"
#include "widgetprompt.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace
{

// Where this start would keep its files, as --help tells it.
QString filesHelp()
{
    const ProgramFiles files = ProgramFiles::ofThisProcess();
    return QStringLiteral(
               "Your files here:\n"
               "  options (options.ini)                      %1\n"
               "  window state (KVL52110.state), day logs    %2\n"
               "Run from its build tree, or in a bench's folder that holds options.ini or\n"
               "KVL52110.state, the program keeps them in the working folder unless another\n"
               "user can change it; otherwise in $XDG_CONFIG_HOME/kvl52110 and\n"
               "$XDG_STATE_HOME/kvl52110 (by default ~/.config/kvl52110 and\n"
               "~/.local/state/kvl52110). Under --name NAME they go to a folder kvl52110-NAME\n"
               "of their own, in place of kvl52110 or within the working folder.")
        .arg(files.configFolder(), files.stateFolder());
}

// "--project NAME" names the project type, "--name NAME" the command socket; false (with a
// message) when they name none.
bool readArguments(const Application &application, MainApp *app)
{
    QCommandLineParser parser;
    const QCommandLineOption project(QStringLiteral("project"),
                                     QStringLiteral("The project type, %1, taken without asking.")
                                         .arg(MainApp::ProjectTypes.join(QStringLiteral(" or "))),
                                     QStringLiteral("NAME"));
    const QCommandLineOption name(
        QStringLiteral("name"),
        QStringLiteral("The command socket's name (default %1), as kvl52110-cli --name NAME finds "
                       "it: a second program serves beside the first under another name, and "
                       "keeps its options, window state and logs apart.")
            .arg(QLatin1String(MainApp::ProjectName)),
        QStringLiteral("NAME"));
    parser.setApplicationDescription(filesHelp());
    parser.addOption(project);
    parser.addOption(name);
    parser.addHelpOption();
    parser.process(application);
    if (parser.isSet(name)) {
        QString why;
        const QString socketName = PipeName::socketName(parser.value(name), &why);
        if (socketName.isEmpty()) {
            std::fprintf(stderr, "kvl52110: --name: %s\n", qPrintable(why));
            return false;
        }
        app->setServerName(socketName);
    }
    const QString type = parser.value(project);
    if (parser.isSet(project) && !MainApp::ProjectTypes.contains(type)) {
        std::fprintf(stderr, "kvl52110: unknown project type \"%s\": use %s\n", qPrintable(type),
                     qPrintable(MainApp::ProjectTypes.join(QStringLiteral(" or "))));
        return false;
    }
    app->setProjectTypeChoice(type);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QuitSignals::outliveClosedPipes(); // standard error may be a pipe nobody reads any more
    QtNoiseFilter::install();
    const OwnArguments own(argc, argv); // before Qt's X11 platform takes "--name" for itself
    Application application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MainApp::applyStyleSheet();

    WidgetPrompt prompt;
    Prompt::install(&prompt);
    initBoardGlobals();
    MainApp *app = MainApp::instance();
    if (!readArguments(application, app))
        return 1;
    // On a platform that shows no window nobody can answer a prompt.
    app->setUnattended(!MainApp::platformShowsWindows());
    app->setAppletFactories(toolAppletFactories());
    const int code = app->exec();
    Prompt::install(nullptr);
    return code;
}
