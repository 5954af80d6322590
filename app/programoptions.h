#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

class MainApp;

// The program's command line: --project NAME, --name NAME, --help and --version. The help and
// the version are told before the application object reaches the window system, so they need
// no display (a person reading the options over SSH); the help names the folders of the
// program that --name names.
class ProgramOptions
{
public:
    ProgramOptions();

    // Whether the arguments ask for the help or the version (Qt's own arguments may stand
    // among them).
    static bool asksToTell(int argc, char **argv);
    // Prints the help or the version without a display; the program's exit status.
    static int tell(int argc, char **argv);

    // Hands the options to app; false (with a message on standard error) when they name none.
    // An option the program does not know ends the start with its usage.
    bool apply(const QStringList &arguments, MainApp *app);

private:
    // The socket name of --name (the default when not given); empty when it names none, which
    // standard error then says.
    QString serverName() const;
    static QString filesHelp(const QString &serverName);

    QCommandLineParser m_parser;
    QCommandLineOption m_project;
    QCommandLineOption m_name;
};
