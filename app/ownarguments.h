#pragma once

#include <list>
#include <string>

// The program's own options that one of Qt's platforms would take for itself: Qt's X11 platform
// takes "--name VALUE" (its window-system instance name) out of the arguments while the
// application object is built, so the program's parser would never see it. Before the
// application object exists, each such option given as "--option VALUE" is joined into
// "--option=VALUE", which no platform takes and the program's parser reads the same way; the
// arguments keep their order.
class OwnArguments
{
public:
    // Joins the options in argv (argc shrinks, the rest close up, argv[argc] becomes null).
    // The object holds the joined texts: it lives as long as argv is used.
    OwnArguments(int &argc, char **argv);

private:
    static bool isClaimed(const char *argument);

    std::list<std::string> m_joined;
};
