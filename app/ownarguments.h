#pragma once

#include <QStringList>

// The program's own options that one of Qt's platforms would take for itself: Qt's X11 platform
// takes "--name VALUE" (its window-system instance name) out of the arguments while the
// application object is built, so the program's parser would never see it. They are taken out
// before the application object exists and put back into the arguments it leaves.
class OwnArguments
{
public:
    // Takes the options out of argc and argv (the rest close up, argv[argc] becomes null).
    OwnArguments(int &argc, char **argv);

    // The arguments the application object left (the program's path first), with the options
    // taken out put back after the path, for the program's parser.
    QStringList restoredInto(const QStringList &left) const;

private:
    static bool isClaimed(const char *argument);

    QStringList m_taken;
};
