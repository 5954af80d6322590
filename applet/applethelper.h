#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class Applet;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class Register;
namespace CustomControls
{
class LineEdit;
class RealEdit;
} // namespace CustomControls

// The console of one applet: lists the applet's registers (field by field), variables and
// functions with their descriptions, sets, gets and fills items by name with the internal
// key, runs functions and shows their typed result, searches the descriptions, and saves and
// loads register snapshots in ".101" register files.
//
// Register file: ASCII, one line per register, "NAME::" and one digit per bit, bit 0 first,
// ended by LF. A file chosen as "regs.101" for the applet "Board" is stored as
// "regs.101.Board"; the configuration list offers the files of the working directory that
// match "*.101." and the applet's object name.
class AppletHelper : public QWidget
{
    Q_OBJECT

public:
    AppletHelper(Applet *applet, const QString &title);
    ~AppletHelper() override;

    QSize sizeHint() const override;

    // Re-renders the item part when what contains "nodes", the function part when it contains
    // "functions".
    void describeApplet(const QString &what);
    // Rebuilds the list of register files of this applet in the working directory, keeping
    // the selected entry without applying it again.
    void fillConfigurationList();
    // Sets the bound registers from a register file, then refreshes the widgets and writes
    // every bound register to the board. False when the file cannot be read.
    bool applyRegisterFile(const QString &fileName);
    // Asks which of the applet's items to export; empty when cancelled or nothing checked.
    QStringList chooseRegisters();
    // Asks for the items and a file name and writes the register file.
    void exportRegisters();

    // The register file text of the registers among names (other names add nothing).
    QByteArray registerFileText(const QStringList &names) const;
    // The file a register file chosen as fileName is stored under.
    QString storedFileName(const QString &fileName) const;

    // The console's widgets, for the program's tests.
    QComboBox *itemCombo() const { return m_cmItem; }
    CustomControls::LineEdit *valueEdit() const { return m_leValue; }
    QLineEdit *findEdit() const { return m_leFind; }
    QTextEdit *itemView() const { return m_teItems; }
    QComboBox *configurationCombo() const { return m_cmConfigurations; }
    QComboBox *functionCombo() const { return m_cmFunction; }
    CustomControls::LineEdit *argumentEdit() const { return m_leArgument; }
    CustomControls::LineEdit *intResultEdit() const { return m_leIntResult; }
    CustomControls::RealEdit *realResultEdit() const { return m_reRealResult; }
    QLineEdit *textResultEdit() const { return m_leTextResult; }
    QTextEdit *functionView() const { return m_teFunctions; }
    QPushButton *button(const QString &text) const;

signals:
    void signal_update();

public slots:
    void slot_pbUpdateAll_clicked();
    void slot_pbSet_clicked();
    void slot_pbFill0_clicked();
    void slot_pbFill1_clicked();
    void slot_pbGet_clicked();
    void slot_pbRun_clicked();
    void slot_FindInNodes(QString text);
    void slot_exportRegistersTo101();
    void slot_importRegistersFrom101();
    void slot_ApplyFile();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildWindow();
    void nameControls();
    QWidget *buildItemTab();
    QWidget *buildFunctionTab();
    void connectWidgets();
    void describeItems();
    void describeFunctions();
    QString itemHtml(const QString &name) const;
    void fillAll(int value);
    void showResult(QWidget *shown);
    bool readValueEdit(double *value);
    bool applyRegisterLine(const QByteArray &line, QString *problem, QStringList *applied);
    void logError(const QString &text);

    QPointer<Applet> m_applet; // not owned
    QString m_html;            // the descriptions are assembled here

    QTabWidget *m_tabs = nullptr;
    QComboBox *m_cmItem = nullptr;
    CustomControls::LineEdit *m_leValue = nullptr;
    QLineEdit *m_leFind = nullptr;
    QTextEdit *m_teItems = nullptr;
    QComboBox *m_cmConfigurations = nullptr;
    QComboBox *m_cmFunction = nullptr;
    CustomControls::LineEdit *m_leArgument = nullptr;
    CustomControls::LineEdit *m_leIntResult = nullptr;
    CustomControls::RealEdit *m_reRealResult = nullptr;
    QLineEdit *m_leTextResult = nullptr;
    QTextEdit *m_teFunctions = nullptr;
};
