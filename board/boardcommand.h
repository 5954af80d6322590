#pragma once

#include "board.h"

#include <QString>
#include <QVariant>

#include <functional>

// One named command of the board page: its help text, whether the dispatch goes on after it,
// and its action, whose value is the call's result.
struct Board::BoardCommand {
    using Action = std::function<bool(Board &, const QVariant &)>;

    QString name;
    QString help;
    bool continues = false;
    Action action;

    // Ends the call with the action's value.
    static BoardCommand returning(const QString &name, const QString &help, Action action)
    {
        return {name, help, false, std::move(action)};
    }
    // The dispatch goes on after the action; the action's value is the call's result.
    static BoardCommand continuing(const QString &name, const QString &help, Action action)
    {
        return {name, help, true, std::move(action)};
    }
    // A continuing command without help text.
    static BoardCommand quiet(const QString &name, Action action)
    {
        return continuing(name, QString(), std::move(action));
    }
};
