#pragma once

#include <QString>
#include <QVariant>

// One object of an automation server (a spreadsheet application, its workbooks, sheets,
// cells...). Arguments that are invalid variants are absent, as in the automation layer.
class AutomationObject
{
public:
    virtual ~AutomationObject() = default;

    // Calls a member (name or signature, up to two arguments) that yields another object;
    // null when there is none. The object returned belongs to this one.
    virtual AutomationObject *querySubObject(const QString &member,
                                             const QVariant &arg1 = QVariant(),
                                             const QVariant &arg2 = QVariant()) = 0;
    // Calls a method by its signature with up to one argument.
    virtual QVariant call(const QString &signature, const QVariant &arg = QVariant()) = 0;
    virtual QVariant property(const QString &name) = 0;
    virtual void setProperty(const QString &name, const QVariant &value) = 0;
};
