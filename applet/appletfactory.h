#pragma once

#include <QSize>

#include <functional>
#include <type_traits>
#include <utility>

class Applet;
class QWidget;

// Creates one tool applet inside parent, the sub-window it will live in. The program hands its
// host the factories of its tool applets in table order, so the host does not depend on the
// applet libraries. The host builds an applet at its start, or, from a factory made
// whenNeeded(), once something first needs it (its window, a request to it, a connection) or
// while the program waits for its user. A factory that knows the size of its applet's form
// ahead lets the host give the applet's window its size from the start.
class AppletFactory
{
public:
    AppletFactory() = default;
    // Any callable that takes the parent and returns the applet.
    template <typename F,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, AppletFactory> &&
                                          std::is_invocable_r_v<Applet *, F, QWidget *>>>
    AppletFactory(F create) : m_create(std::move(create))
    {
    }

    Applet *operator()(QWidget *parent) const { return m_create ? m_create(parent) : nullptr; }
    explicit operator bool() const { return bool(m_create); }

    // The same applet, built when first needed instead of at the start; formSize, when given,
    // is the size its form will have.
    AppletFactory whenNeeded(const QSize &formSize = QSize()) const
    {
        AppletFactory factory = *this;
        factory.m_whenNeeded = true;
        factory.m_formSize = formSize;
        return factory;
    }
    bool isWhenNeeded() const { return m_whenNeeded; }
    QSize formSize() const { return m_formSize; }

private:
    std::function<Applet *(QWidget *parent)> m_create;
    bool m_whenNeeded = false;
    QSize m_formSize;
};

// The factory of applet class T (a constructor taking the parent), built at the start.
template <typename T> AppletFactory appletFactory()
{
    return [](QWidget *parent) -> Applet * { return new T(parent); };
}
