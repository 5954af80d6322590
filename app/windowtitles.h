#pragma once

#include <QObject>
#include <QString>

class QWidget;

// A program serving under another name than the default shows that name in the title of each
// of its windows as the window system shows it ("second - Error", "second - HELP:(Ctrl+7)
// KVL52110", "second" for a box without a title), so that the boxes and consoles of two
// programs side by side are told apart. The widgets keep their own titles; a title that starts
// with the name already (the main window's) and the default program's titles stay as they are.
class WindowTitles : public QObject
{
    Q_OBJECT
public:
    // Watches every window of the application.
    explicit WindowTitles(QObject *parent = nullptr);
    ~WindowTitles() override;

    // The program's name; empty for the default program.
    void setProgramName(const QString &name);
    // The title the window system shows for a window titled title.
    QString shownTitle(const QString &title) const;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void retitle(QWidget *window) const;

    QString m_name;
};
