#pragma once

#include <functional>

class Applet;
class QWidget;

// Creates one tool applet inside parent, the sub-window it will live in. The program hands its
// host the factories of its tool applets in table order, so the host does not depend on the
// applet libraries.
using AppletFactory = std::function<Applet *(QWidget *parent)>;

// The factory of applet class T (a constructor taking the parent).
template <typename T> AppletFactory appletFactory()
{
    return [](QWidget *parent) -> Applet * { return new T(parent); };
}
