#include "applethelper.h"

#include "accessiblenames.h"
#include "applet.h"
#include "applethost.h"
#include "bytetext.h"
#include "dialogcheckboxes.h"
#include "lineedit.h"
#include "prompt.h"
#include "realedit.h"
#include "register.h"
#include "regularfile.h"
#include "variable.h"
#include "wholefile.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpacerItem>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace
{

// The font of the console's top bar, and the width its value field was laid out for; the
// padding covers the field's frame and text margins.
const char *const BarFontFamily = "Consolas";
constexpr int BarFontPoints = 12;
constexpr int ValueFieldWidth = 100;
constexpr int ValueFieldPadding = 16;
constexpr int StartSize = 400; // the window's width and height, where its tabs fit

const char *const StyleBlock =
    "<style type=\"text/css\">p {font-family: Verdana;font-size:12px;margin-top:1px;"
    "color:#585858;}body {font-family: Calibri;}strong {font-weight: bold; "
    "background-color:#DAE3DC;}em {font-size:12px;font-style: italic;color:#BDBDBD;}h1 "
    "{font-weight: bold;background-color:#A8E39F;text-align:left;}div {font-size:12px;}ul "
    "{list-style-type: disc;}fu {font-style: italic;font-weight: bold;}</style>";

const char *const RegisterFileFilter = "Files (*.101)";
const char *const RegisterFileSeparator = "::";
// The most read from a register file: a line per register takes a few hundred KiB at most.
constexpr qint64 MaxRegisterFileSize = RegularFile::MiB;
constexpr int FillOnesValue = 0x0FFFFFFF; // 28 one-bits: what "Fill 1" writes to a variable

// One search highlight at a time, across all consoles: until the first search there is
// nothing to undo.
bool firstSearch = true;

// The texts of a register's fields (grouped, virtual fields included), one list per field
// holding one text per keyword. Keywords and fields are separated by control characters that
// no name or description carries, so a ";" in a description cannot shift the fields.
QList<QStringList> fieldTexts(const Register *reg, const QStringList &keywords)
{
    const QChar keywordSeparator(0x1F);
    const QChar fieldSeparator(0x1E);
    QStringList entries = reg->format(keywords.join(keywordSeparator) + fieldSeparator, true, true)
                              .split(fieldSeparator);
    entries.removeLast(); // the text after the last field's separator
    QList<QStringList> fields;
    for (const QString &entry : std::as_const(entries)) {
        QStringList texts = entry.split(keywordSeparator);
        // A text holding the separator after all: the last keyword's text takes the rest.
        while (texts.size() > keywords.size()) {
            const QString rest = texts.takeLast();
            texts.last() += keywordSeparator + rest;
        }
        while (texts.size() < keywords.size())
            texts.append(QString());
        fields.append(texts);
    }
    return fields;
}

// Return presses a button that has the keyboard, as Space does (the console is no dialog).
QPushButton *makeButton(const QString &text, const char *objectName, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(true);
    return button;
}

// A name typed that the list does not hold is not added to it.
QComboBox *makeEditableCombo(const char *objectName, int minimumWidth, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(objectName));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumWidth(minimumWidth);
    return combo;
}

QFrame *makeBar(QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    new QHBoxLayout(frame);
    return frame;
}

void addSpacer(QFrame *bar)
{
    bar->layout()->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
}

// The value field holds at least a 32-bit value in hexadecimal in the bar's font (at least
// 100 pixels wide, as the bar was laid out for), so the layout cannot squeeze it.
void setValueFieldWidth(QLineEdit *field)
{
    QFont font{QString::fromLatin1(BarFontFamily)};
    font.setPointSize(BarFontPoints);
    const int text = QFontMetrics(font).horizontalAdvance(QStringLiteral("0xFFFFFFFF"));
    const int width = std::max(ValueFieldWidth, text + ValueFieldPadding);
    field->setMinimumWidth(width);
    field->setMaximumWidth(width);
}

// Selects the first entry with the text; an editable combo keeps a text it does not list.
void restoreComboText(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text, Qt::MatchExactly);
    if (index >= 0)
        combo->setCurrentIndex(index);
    else if (combo->isEditable())
        combo->setEditText(text);
}

} // namespace

AppletHelper::AppletHelper(Applet *applet, const QString &title) : QWidget(nullptr)
{
    m_applet = applet;
    // The console lives as long as its applet.
    if (applet)
        connect(applet, &QObject::destroyed, this, &QObject::deleteLater);
    buildWindow();
    setWindowTitle(title);
    m_teItems->setReadOnly(true);
    m_teFunctions->setReadOnly(true);
    setStyleSheet(QStringLiteral("QTextEdit{background: rgb(255,255,240)}"));
    showResult(m_leTextResult);
    connectWidgets();
    fillConfigurationList();
    m_cmItem->setFocus(); // the keyboard starts where an item's name is typed
}

AppletHelper::~AppletHelper() = default;

// ---------------------------------------------------------------- window

// The tabs scroll inside a window narrower than they are, such as one beside a main window of
// half a laptop's screen.
void AppletHelper::buildWindow()
{
    auto *layout = new QGridLayout(this);
    m_tabs = new QTabWidget;
    m_tabs->addTab(buildItemTab(), QStringLiteral("Registers/Variables"));
    m_tabs->addTab(buildFunctionTab(), QStringLiteral("Functions"));
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus); // Tab goes to the tabs' controls, not the frame
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_tabs);
    layout->addWidget(scroll, 0, 0);
    nameControls();
}

// Each control reads as what it holds: the bars' "=", "(" and ")=" name nothing.
void AppletHelper::nameControls()
{
    const std::pair<QWidget *, const char *> names[] = {{m_tabs, "Console pages"},
                                                        {m_cmItem, "Item"},
                                                        {m_leValue, "Value"},
                                                        {m_leFind, "Find"},
                                                        {m_teItems, "Registers and variables"},
                                                        {m_cmConfigurations, "Configurations"},
                                                        {m_cmFunction, "Function"},
                                                        {m_leArgument, "Argument"},
                                                        {m_leIntResult, "Result"},
                                                        {m_reRealResult, "Result"},
                                                        {m_leTextResult, "Result"},
                                                        {m_teFunctions, "Functions"}};
    for (const auto &[widget, name] : names)
        CustomControls::AccessibleNames::setName(widget, QLatin1String(name));
}

// The window opens at 400 by 400, or as large as its tabs need where they need more.
QSize AppletHelper::sizeHint() const
{
    const QMargins margins = layout()->contentsMargins();
    return QSize(StartSize, StartSize)
        .expandedTo(m_tabs->minimumSizeHint() +
                    QSize(margins.left() + margins.right(), margins.top() + margins.bottom()));
}

QWidget *AppletHelper::buildItemTab()
{
    auto *tab = new QWidget;
    auto *grid = new QGridLayout(tab);
    grid->setVerticalSpacing(1);

    QFrame *bar = makeBar(tab);
    bar->setStyleSheet(
        QStringLiteral("font: %1pt \"%2\";").arg(BarFontPoints).arg(QLatin1String(BarFontFamily)));
    m_cmItem = makeEditableCombo("cmItem", 200, bar);
    m_leValue = new CustomControls::LineEdit(bar);
    m_leValue->setObjectName(QStringLiteral("leValue"));
    setValueFieldWidth(m_leValue);
    bar->layout()->addWidget(m_cmItem);
    bar->layout()->addWidget(new QLabel(QStringLiteral("="), bar));
    bar->layout()->addWidget(m_leValue);
    addSpacer(bar);
    bar->layout()->addWidget(makeButton(QStringLiteral("Set"), "pbSet", bar));
    bar->layout()->addWidget(makeButton(QStringLiteral("Get"), "pbGet", bar));
    bar->layout()->addWidget(makeButton(QStringLiteral("Fill 0"), "pbFill0", bar));
    bar->layout()->addWidget(makeButton(QStringLiteral("Fill 1"), "pbFill1", bar));
    addSpacer(bar);
    grid->addWidget(bar, 0, 0, 1, 10);

    m_leFind = new QLineEdit(tab);
    m_leFind->setObjectName(QStringLiteral("leFind"));
    grid->addWidget(m_leFind, 1, 0, 1, 10);
    m_teItems = new QTextEdit(tab);
    m_teItems->setObjectName(QStringLiteral("teItems"));
    grid->addWidget(m_teItems, 2, 0, 1, 10);

    grid->addWidget(makeButton(QStringLiteral("Export"), "pbExport", tab), 3, 0);
    grid->addWidget(makeButton(QStringLiteral("Import"), "pbImport", tab), 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Configurations"), tab), 3, 2);
    m_cmConfigurations = new QComboBox(tab);
    m_cmConfigurations->setObjectName(QStringLiteral("cmConfigurations"));
    grid->addWidget(m_cmConfigurations, 3, 3, 1, 6);
    grid->addWidget(makeButton(QStringLiteral("Update all"), "pbUpdateAll", tab), 3, 9);
    return tab;
}

QWidget *AppletHelper::buildFunctionTab()
{
    auto *tab = new QWidget;
    auto *grid = new QGridLayout(tab);

    QFrame *bar = makeBar(tab);
    m_cmFunction = makeEditableCombo("cmFunction", 150, bar);
    m_leArgument = new CustomControls::LineEdit(bar);
    m_leArgument->setObjectName(QStringLiteral("leArgument"));
    m_leIntResult = new CustomControls::LineEdit(bar);
    m_leIntResult->setObjectName(QStringLiteral("leIntResult"));
    m_reRealResult = new CustomControls::RealEdit(bar);
    m_reRealResult->setObjectName(QStringLiteral("reRealResult"));
    m_leTextResult = new QLineEdit(bar);
    m_leTextResult->setObjectName(QStringLiteral("leTextResult"));
    bar->layout()->addWidget(m_cmFunction);
    bar->layout()->addWidget(new QLabel(QStringLiteral("("), bar));
    bar->layout()->addWidget(m_leArgument);
    bar->layout()->addWidget(new QLabel(QStringLiteral(")="), bar));
    bar->layout()->addWidget(m_leIntResult);
    bar->layout()->addWidget(m_reRealResult);
    bar->layout()->addWidget(m_leTextResult);
    addSpacer(bar);
    bar->layout()->addWidget(makeButton(QStringLiteral("Run"), "pbRun", bar));
    addSpacer(bar);
    grid->addWidget(bar, 0, 0);

    m_teFunctions = new QTextEdit(tab);
    m_teFunctions->setObjectName(QStringLiteral("teFunctions"));
    grid->addWidget(m_teFunctions, 1, 0);
    return tab;
}

void AppletHelper::connectWidgets()
{
    connect(button(QStringLiteral("Set")), &QPushButton::clicked, this,
            &AppletHelper::slot_pbSet_clicked);
    connect(button(QStringLiteral("Get")), &QPushButton::clicked, this,
            &AppletHelper::slot_pbGet_clicked);
    connect(button(QStringLiteral("Fill 0")), &QPushButton::clicked, this,
            &AppletHelper::slot_pbFill0_clicked);
    connect(button(QStringLiteral("Fill 1")), &QPushButton::clicked, this,
            &AppletHelper::slot_pbFill1_clicked);
    connect(button(QStringLiteral("Update all")), &QPushButton::clicked, this,
            &AppletHelper::slot_pbUpdateAll_clicked);
    connect(button(QStringLiteral("Run")), &QPushButton::clicked, this,
            &AppletHelper::slot_pbRun_clicked);
    // Return in the item box reads the item, as Get does.
    connect(m_cmItem->lineEdit(), &QLineEdit::returnPressed, this,
            &AppletHelper::slot_pbGet_clicked);
    connect(m_leFind, &QLineEdit::textChanged, this, &AppletHelper::slot_FindInNodes);
    connect(button(QStringLiteral("Export")), &QPushButton::clicked, this,
            &AppletHelper::slot_exportRegistersTo101);
    connect(button(QStringLiteral("Import")), &QPushButton::clicked, this,
            &AppletHelper::slot_importRegistersFrom101);
    connect(m_cmConfigurations, &QComboBox::currentIndexChanged, this,
            &AppletHelper::slot_ApplyFile);
}

// Escape closes the console, as it closes a dialog (a field that takes Escape keeps it).
void AppletHelper::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

QPushButton *AppletHelper::button(const QString &text) const
{
    const QList<QPushButton *> buttons = findChildren<QPushButton *>();
    for (QPushButton *b : buttons) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// ---------------------------------------------------------------- descriptions

void AppletHelper::describeApplet(const QString &what)
{
    if (!m_applet)
        return;
    if (what.contains(QLatin1String("nodes")))
        describeItems();
    if (what.contains(QLatin1String("functions")))
        describeFunctions();
}

void AppletHelper::describeItems()
{
    const int scroll = m_teItems->verticalScrollBar()->value();
    const QString current = m_cmItem->currentText();
    m_cmItem->clear();

    QStringList names = m_applet->itemNames();
    std::sort(names.begin(), names.end());

    QStringList items;
    m_html = QLatin1String(StyleBlock) + QLatin1String("<body>");
    for (const QString &name : std::as_const(names)) {
        const Binding *b = m_applet->binding(name);
        if (!b)
            continue;
        if (b->isRegister()) {
            const QList<QStringList> fields = fieldTexts(b->reg, {QStringLiteral("@purename")});
            for (const QStringList &field : fields) {
                // An unnamed run of bits has no field name: the whole register stands for it.
                if (!field.first().isEmpty())
                    items.append(QStringLiteral("%1[%2]").arg(name, field.first()));
            }
            items.append(name + QLatin1String("[]"));
        } else {
            items.append(name);
        }
        m_html += itemHtml(name);
    }
    m_html += QLatin1String("</body>");
    m_cmItem->addItems(items);

    m_teItems->setHtml(m_html);
    // The highlighting of a search is undone step by step, also in the read-only view.
    m_teItems->document()->setUndoRedoEnabled(true);
    m_teItems->verticalScrollBar()->setValue(scroll);
    restoreComboText(m_cmItem, current);
}

QString AppletHelper::itemHtml(const QString &name) const
{
    const Binding *b = m_applet->binding(name);
    if (!b->isRegister()) {
        const Variable *var = b->variable;
        return QStringLiteral("<p><strong><em>VARIABLE  &nbsp;</em>%1 </strong><br>=%3<br>%2<p>")
            .arg(name, var->description(), QString::number(var->value(), 'g', 6));
    }
    const Register *reg = b->reg;
    QString html = QStringLiteral("<p><strong><em>REG &nbsp;</em>%1[%2..0]</strong></p>")
                       .arg(name)
                       .arg(reg->size() - 1);
    html += QLatin1String("<ul>");
    const QList<QStringList> fields =
        fieldTexts(reg, {QStringLiteral("@bitn"), QStringLiteral("@name"), QStringLiteral("@value"),
                         QStringLiteral("@descr")});
    for (const QStringList &field : fields) {
        html += QStringLiteral("<p><li><b>{%1}&nbsp; %2</b> = %3</li>%4</p>")
                    .arg(field.at(0), field.at(1), field.at(2), field.at(3));
    }
    html += QLatin1String("</ul><br>");
    return html;
}

void AppletHelper::describeFunctions()
{
    const int scroll = m_teFunctions->verticalScrollBar()->value();
    const QString current = m_cmFunction->currentText();
    m_cmFunction->clear();
    m_html = QLatin1String(StyleBlock) + QLatin1String("<body>");

    // An empty command makes the applet fill its function table.
    m_applet->run(QString(), QVariant(0));
    const QMap<QString, QString> &table = m_applet->functions;
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        m_html += QStringLiteral("<p><strong><em>FUNCTION</em> %1</strong></p>").arg(it.key());
        m_html += QStringLiteral("<p>%1</p>").arg(it.value());
    }
    m_html += QLatin1String("</body>");

    m_cmFunction->addItems(table.keys());
    m_teFunctions->setHtml(m_html);
    m_teFunctions->verticalScrollBar()->setValue(scroll);
    restoreComboText(m_cmFunction, current);
}

// ---------------------------------------------------------------- set, get, fill, run

// The value edit's number; false (nothing to write) when its text is no number, which the
// edit then shows in red.
bool AppletHelper::readValueEdit(double *value)
{
    *value = m_leValue->value(); // also takes a typed "0x", "0b" or "0d" prefix into account
    bool ok = false;
    m_leValue->text().toUInt(&ok, m_leValue->base());
    return ok;
}

void AppletHelper::slot_pbSet_clicked()
{
    double value = 0;
    if (!m_applet || !readValueEdit(&value))
        return;
    // A number beyond the item's bits or range is refused, as a request by name is, not wrapped.
    const QString item = m_cmItem->currentText();
    QString why;
    if (!m_applet->fitsItem(item, value, &why)) {
        logError(QStringLiteral("Set: %1 %2").arg(item, why));
        return;
    }
    m_applet->set(item, QVariant(value), Variable::InternalKey);
    describeApplet(QStringLiteral("nodes"));
}

void AppletHelper::slot_pbGet_clicked()
{
    if (!m_applet)
        return;
    const QVariant result = m_applet->get(m_cmItem->currentText(), Variable::InternalKey);
    bool ok = false;
    const double value = result.toDouble(&ok);
    if (result.isValid() && ok)
        m_leValue->setValue(value);
}

void AppletHelper::slot_pbFill0_clicked()
{
    fillAll(0);
}

void AppletHelper::slot_pbFill1_clicked()
{
    fillAll(1);
}

// Fills the whole item of the combo's text (a field item fills its whole register).
void AppletHelper::fillAll(int value)
{
    if (!m_applet)
        return;
    const QString text = m_cmItem->currentText();
    const Binding *b = m_applet->binding(text.left(text.indexOf(QLatin1Char('['))));
    if (!b)
        return;
    // The fill writes the board as the console's Set does: the page's own sending code acts.
    m_applet->runAsWriteByName([b, value]() {
        if (b->isRegister())
            b->reg->fill(value);
        else
            b->variable->setValue(value ? FillOnesValue : 0, Variable::InternalKey);
    });
    // The item list shows the values the fill left.
    describeApplet(QStringLiteral("nodes"));
}

void AppletHelper::slot_pbRun_clicked()
{
    if (!m_applet)
        return;
    QVariant result;
    {
        // A person's command: requests wait until it is done.
        const auto requestsWait = AppletHost::instance()->requestHold();
        result = m_applet->run(m_cmFunction->currentText(), QVariant(m_leArgument->text()));
    }
    switch (result.typeId()) {
    case QMetaType::QByteArray:
        m_leTextResult->setText(QString::fromLatin1(result.toByteArray().toHex()));
        showResult(m_leTextResult);
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        m_reRealResult->setValue(result.toDouble());
        showResult(m_reRealResult);
        break;
    case QMetaType::Int:
    case QMetaType::Bool:
    case QMetaType::UInt:
        m_leIntResult->setValue(double(result.toLongLong()));
        showResult(m_leIntResult);
        break;
    default:
        m_leTextResult->setText(result.toString());
        showResult(m_leTextResult);
        break;
    }
}

// Of the three result widgets only the one given is visible.
void AppletHelper::showResult(QWidget *shown)
{
    const QList<QWidget *> results = {m_leIntResult, m_reRealResult, m_leTextResult};
    for (QWidget *w : results)
        w->setVisible(w == shown);
}

// ---------------------------------------------------------------- find

void AppletHelper::slot_FindInNodes(QString text)
{
    QTextDocument *document = m_teItems->document();
    if (!firstSearch)
        document->undo(); // the previous highlighting
    firstSearch = false;
    if (text.isEmpty())
        return;

    QTextCharFormat highlight;
    highlight.setBackground(Qt::blue);
    QTextCursor block(document);
    block.beginEditBlock();
    QTextCursor first;
    QTextCursor found = document->find(text);
    while (!found.isNull()) {
        found.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
        found.mergeCharFormat(highlight);
        if (first.isNull())
            first = found;
        found = document->find(text, found);
    }
    block.endEditBlock();
    if (!first.isNull())
        m_teItems->setTextCursor(first);
}

// ---------------------------------------------------------------- register files

QString AppletHelper::storedFileName(const QString &fileName) const
{
    return fileName + QLatin1Char('.') + (m_applet ? m_applet->name() : QString());
}

QByteArray AppletHelper::registerFileText(const QStringList &names) const
{
    QByteArray text;
    if (!m_applet)
        return text;
    for (const QString &name : names) {
        const Binding *b = m_applet->binding(name);
        if (!b || !b->isRegister())
            continue;
        text += name.toLatin1() + RegisterFileSeparator + b->reg->toBitString(true) + '\n';
    }
    return text;
}

void AppletHelper::slot_exportRegistersTo101()
{
    exportRegisters();
}

void AppletHelper::exportRegisters()
{
    if (!m_applet)
        return;
    const QStringList names = chooseRegisters();
    const QString chosen =
        Prompt::saveFile(QStringLiteral("Save file"), QString(), QLatin1String(RegisterFileFilter));
    if (!chosen.isEmpty()) {
        const QString fileName = storedFileName(chosen);
        QString error;
        if (!writeWholeFile(fileName, registerFileText(names), &error))
            logError(QStringLiteral("Register file %1 not written: %2").arg(fileName, error));
    }
    fillConfigurationList();
}

QStringList AppletHelper::chooseRegisters()
{
    const QStringList names = m_applet ? m_applet->itemNames() : QStringList();
    if (names.isEmpty() || Prompt::answerDefaults())
        return QStringList();
    DialogCheckBoxes dialog(0);
    dialog.setWindowTitle(QStringLiteral("REGISTER"));
    dialog.addItems(names);
    QStringList chosen;
    if (dialog.exec() != QDialog::Accepted)
        return QStringList();
    dialog.checkedItems(&chosen);
    return chosen;
}

void AppletHelper::slot_importRegistersFrom101()
{
    const QString fileName =
        Prompt::openFile(QStringLiteral("Load file"), QString(), QLatin1String(RegisterFileFilter));
    if (!fileName.isEmpty())
        applyRegisterFile(fileName);
}

bool AppletHelper::applyRegisterFile(const QString &fileName)
{
    if (fileName.isEmpty() || !m_applet)
        return false;
    QByteArray read;
    QString error;
    if (!RegularFile::read(fileName, MaxRegisterFileSize, &read, &error)) {
        logError(QStringLiteral("Register file not loaded: %1").arg(error));
        return false;
    }
    const QByteArray bytes = bytesUpToZero(read);

    const QList<QByteArray> lines = bytes.split('\n');
    QStringList skipped;
    QStringList applied;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString problem;
        if (!applyRegisterLine(lines.at(i), &problem, &applied))
            skipped.append(QStringLiteral("line %1 (%2)").arg(i + 1).arg(problem));
    }
    if (!skipped.isEmpty())
        logError(QStringLiteral("Register file %1: skipped malformed %2")
                     .arg(fileName, skipped.join(QLatin1String(", "))));

    describeApplet(QStringLiteral("nodes"));
    // The registers reach the board as the console's Set does: the page's own sending code acts.
    m_applet->runAsWriteByName([this, &applied]() {
        for (const QString &name : std::as_const(applied))
            if (!m_applet->isReadOnly(name))
                m_applet->slot_updateSet(name);
    });
    m_applet->slot_updateAllControls();
    m_applet->writeParameters(QStringLiteral("*"));
    return true;
}

// Sets one register from a "NAME::BITS" line, silently, and appends its name to applied.
// Lines for names that are not bound registers and blank lines are ignored; false (with the
// reason) for a line that is no register line or whose digits do not fit the register, which
// then stays unchanged.
bool AppletHelper::applyRegisterLine(const QByteArray &line, QString *problem, QStringList *applied)
{
    QByteArray text = line;
    if (text.endsWith('\r'))
        text.chop(1); // a file edited with CR LF line ends
    if (text.trimmed().isEmpty())
        return true;
    const QStringList parts = QString::fromLatin1(text).split(QLatin1String(RegisterFileSeparator));
    if (parts.size() != 2) {
        *problem = QStringLiteral("not NAME::BITS");
        return false;
    }
    const Binding *b = m_applet->binding(parts.at(0));
    if (!b || !b->isRegister())
        return true;
    const QString &bits = parts.at(1);
    const bool binary = std::all_of(bits.cbegin(), bits.cend(), [](QChar c) {
        return c == QLatin1Char('0') || c == QLatin1Char('1');
    });
    if (!binary) {
        *problem = QStringLiteral("%1: digits other than 0 and 1").arg(parts.at(0));
        return false;
    }
    if (bits.size() != b->reg->size()) {
        *problem = QStringLiteral("%1: %2 digits for %3 bits")
                       .arg(parts.at(0))
                       .arg(bits.size())
                       .arg(b->reg->size());
        return false;
    }
    b->reg->setFromBitString(bits.toLatin1(), true);
    applied->append(parts.at(0));
    return true;
}

void AppletHelper::logError(const QString &text)
{
    if (m_applet)
        emit m_applet->signal_log(-1, text);
}

// ---------------------------------------------------------------- configuration list

void AppletHelper::slot_pbUpdateAll_clicked()
{
    emit signal_update();
    fillConfigurationList();
}

void AppletHelper::fillConfigurationList()
{
    // Rebuilding only lists the files: the selected one is not applied again.
    const QSignalBlocker blocker(m_cmConfigurations);
    const QString current = m_cmConfigurations->currentText();
    m_cmConfigurations->clear();
    m_cmConfigurations->addItem(QString());
    m_cmConfigurations->setItemData(0, QStringLiteral("No file"), Qt::AccessibleTextRole);
    if (m_applet) {
        const QString pattern = QLatin1String("*.101.") + m_applet->name();
        m_cmConfigurations->addItems(QDir::current().entryList({pattern}, QDir::Files, QDir::Name));
    }
    restoreComboText(m_cmConfigurations, current);
}

void AppletHelper::slot_ApplyFile()
{
    applyRegisterFile(m_cmConfigurations->currentText());
}
