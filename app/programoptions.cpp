#include "programoptions.h"

#include "mainapp.h"
#include "pipename.h"
#include "programfiles.h"
#include "standarderror.h"

#include <QCoreApplication>

#ifndef KVL_VERSION
#define KVL_VERSION "unknown"
#endif

ProgramOptions::ProgramOptions()
    : m_project(QStringLiteral("project"),
                QStringLiteral("The project type, %1, taken without asking.")
                    .arg(MainApp::ProjectTypes.join(QStringLiteral(" or "))),
                QStringLiteral("NAME")),
      m_name(QStringLiteral("name"),
             QStringLiteral("The command socket's name (default %1), as kvl52110-cli --name NAME "
                            "finds it: a second program serves beside the first under another "
                            "name, and keeps its options, window state and logs apart.")
                 .arg(QLatin1String(MainApp::ProjectName)),
             QStringLiteral("NAME"))
{
    m_parser.addOption(m_project);
    m_parser.addOption(m_name);
    m_parser.addHelpOption();
    m_parser.addVersionOption();
}

bool ProgramOptions::asksToTell(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    ProgramOptions options;
    // Arguments of Qt's own (-platform, -display) are unknown here: what is known still counts.
    options.m_parser.parse(arguments);
    return options.m_parser.isSet(QStringLiteral("help")) ||
           options.m_parser.isSet(QStringLiteral("help-all")) ||
           options.m_parser.isSet(QStringLiteral("version"));
}

int ProgramOptions::tell(int argc, char **argv)
{
    const QCoreApplication core(argc, argv); // no window system: no display needed
    QCoreApplication::setApplicationVersion(QStringLiteral(KVL_VERSION));
    ProgramOptions options;
    options.m_parser.parse(QCoreApplication::arguments());
    if (options.m_parser.isSet(QStringLiteral("version")))
        options.m_parser.showVersion();
    const QString name = options.serverName();
    if (name.isEmpty())
        return 1;
    options.m_parser.setApplicationDescription(filesHelp(name));
    options.m_parser.showHelp(0);
}

bool ProgramOptions::apply(const QStringList &arguments, MainApp *app)
{
    m_parser.process(arguments);
    if (m_parser.isSet(m_name)) {
        const QString name = serverName();
        if (name.isEmpty())
            return false;
        app->setServerName(name);
    }
    const QString type = m_parser.value(m_project);
    if (m_parser.isSet(m_project) && !MainApp::ProjectTypes.contains(type)) {
        StandardError::say(QStringLiteral("unknown project type \"%1\": use %2")
                               .arg(type, MainApp::ProjectTypes.join(QStringLiteral(" or "))));
        return false;
    }
    app->setProjectTypeChoice(type);
    return true;
}

QString ProgramOptions::serverName() const
{
    if (!m_parser.isSet(m_name))
        return QString::fromLatin1(MainApp::ProjectName);
    QString why;
    const QString socketName = PipeName::socketName(m_parser.value(m_name), &why);
    if (socketName.isEmpty())
        StandardError::say(QStringLiteral("--name: ") + why);
    return socketName;
}

// Where a start under the socket name would keep its files.
QString ProgramOptions::filesHelp(const QString &serverName)
{
    ProgramFiles files = ProgramFiles::ofThisProcess();
    if (serverName != QLatin1String(MainApp::ProjectName))
        files.setProgramName(serverName);
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
