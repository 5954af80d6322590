#pragma once

#include "ui_board.h"

#include <QTabWidget>
#include <QWidget>

// The whole board form built into a bare widget (no applet, no MainApp), as the board page's
// constructor builds it. Members of the form are reached through ui.
struct FormHost {
    QWidget form;
    Ui::Board ui;

    FormHost() { ui.setupUi(&form); }
    explicit FormHost(const QString &formName)
    {
        form.setObjectName(formName);
        ui.setupUi(&form);
    }
    FormHost(const FormHost &) = delete;
    FormHost &operator=(const FormHost &) = delete;

    // The page of the given object name, or nullptr.
    QWidget *page(const QString &name) const
    {
        for (int i = 0; i < ui.tabWidget->count(); ++i)
            if (ui.tabWidget->widget(i)->objectName() == name)
                return ui.tabWidget->widget(i);
        return nullptr;
    }
};
