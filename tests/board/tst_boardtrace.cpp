// Approved board traces: fixed scripts of user actions drive the whole program (every tool
// window and the board page) end to end against the whole simulated board, and every line the
// board hears is compared with the approved trace kept in tests/board/traces/. One run serves
// one EEPROM image of the driver board (KVL_TRACE_IMAGE: kvl52404, the default, kvl52205,
// kvl52404buck, unsupported, blank, or err for a chip select that refuses every transfer); the
// test functions run in order, each going on from the state the one before left.
//
// What a script does is fixed, and the program's own timer (the page's live update) is waited
// out after each action, so each action's lines are the same on every run; the link waits long
// for each answer, so a slow answer on a loaded machine is not taken for a missing one. The
// link's keep-alive (ENQ/ACK) is made of control bytes, which the board does not record as lines.
#include "applethelper.h"
#include "boardappfixture.h"
#include "bootloader.h"
#include "controlboard.h"
#include "exchangelog.h"
#include "mainwindow.h"
#include "pipeclient.h"
#include "programtestmain.h"
#include "realedit.h"
#include "scriptcsv.h"
#include "simulatedboard.h"
#include "testfiles.h"
#include "toolapplets.h"
#include "tracerecorder.h"
#include "userdriver.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDial>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace UserDriver;

namespace
{

// The EEPROM image this run's board carries, by its fakeboard name.
QString imageName()
{
    const QString name = qEnvironmentVariable("KVL_TRACE_IMAGE");
    return name.isEmpty() ? QStringLiteral("kvl52404") : name;
}

FakeSpiEeprom::Image image()
{
    FakeSpiEeprom::Image kind = FakeSpiEeprom::Kvl52404Board;
    FakeSpiEeprom::imageOfName(imageName(), &kind);
    return kind;
}

// How long the link waits for an answer (the protocol's second, stretched for a loaded machine).
constexpr int LoadedAnswerMs = 30000;

} // namespace

class TestBoardTrace : public QObject
{
    Q_OBJECT

    SilentTones tones;
    RecordingPrompt prompt;
    SimulatedBoard sim{image()};
    MainApp *app = MainApp::instance();
    TraceRecorder recorder{sim.board, [this]() { settle(); }};
    std::unique_ptr<ModalWatchdog> watchdog;
    QTemporaryDir files; // what the script saves and loads
    std::unique_ptr<ExchangeLog> exchanges;

    MainWindow *window() const { return app->mainWindow(); }
    Board *page() const
    {
        return qobject_cast<Board *>(app->findApplet(QStringLiteral("Board"), MainApp::ByName));
    }
    template <typename T> T *on(const char *applet, const char *name) const
    {
        Applet *a = app->findApplet(QLatin1String(applet), MainApp::ByName);
        return a ? a->findChild<T *>(QLatin1String(name)) : nullptr;
    }
    template <typename T> T *board(const char *name) const { return on<T>("Board", name); }

    // Until the program has sent what the last action started: posted events done and the
    // page's live update sent.
    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            if (Board *p = page())
                QVERIFY(QTest::qWaitFor([p]() { return !LiveSendProbe::pending(p); }, 30000));
        }
        QVERIFY(sim.board.waitUntilHeard(30000));
    }

    void beginTrace(const char *script)
    {
        recorder.begin("# " + QByteArray(script) + " on the board with the EEPROM image " +
                       imageName().toLatin1() +
                       " (tst_boardtrace; approve changes with KVL_APPROVE_TRACES=1)\n");
    }
    void endTrace(const char *script)
    {
        const QString file =
            QStringLiteral("tests/board/traces/trace_%1_%2.txt").arg(imageName(), script);
        if (QTest::currentTestFailed())
            return; // a script that did not run through is neither compared nor approved
        const QString problem = recorder.check(file);
        qInfo("%s: %d actions, %d lines heard", qPrintable(file), recorder.actions(),
              recorder.lines());
        if (!problem.isEmpty())
            qInfo("the last exchanges of link and board:\n%s", qPrintable(exchanges->text()));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // ---------------------------------------------------------------- actions

    void connectByBar()
    {
        recorder.step(QStringLiteral("port typed into the port list, Connect pressed"), [this]() {
            QLineEdit *edit = window()->portList()->lineEdit();
            edit->selectAll();
            QTest::keyClicks(edit, sim.board.devicePath());
            click(window()->connectButton());
            QVERIFY(QTest::qWaitFor([this]() { return app->isConnected(); }, 30000));
        });
    }
    void disconnectByBar()
    {
        recorder.step(QStringLiteral("Disconnect pressed"), [this]() {
            click(window()->connectButton());
            QVERIFY(QTest::qWaitFor([this]() { return !app->isConnected(); }, 30000));
        });
    }

    Applet *tool(const QString &name) const { return app->findApplet(name, MainApp::ByName); }
    QMdiSubWindow *subWindow(Applet *applet) const
    {
        return qobject_cast<QMdiSubWindow *>(applet->container());
    }
    // Opens the tool window from the Application menu, clicking its entry.
    void openFromMenu(const QString &name)
    {
        recorder.step(QStringLiteral("Application menu: %1").arg(name), [this, name]() {
            QVERIFY(chooseFromMenu(window(), window()->getMenuApp(), tool(name)->action()));
            QVERIFY(QTest::qWaitFor([this, name]() { return tool(name)->isWindowVisible(); }));
        });
    }
    void openByShortcut(const QString &name)
    {
        Applet *applet = tool(name);
        recorder.step(QStringLiteral("Ctrl+%1 (%2)").arg(applet->shortcut - Qt::Key_0).arg(name),
                      [this, applet]() {
                          QTest::keyClick(window(), Qt::Key(applet->shortcut), Qt::ControlModifier);
                          QVERIFY(
                              QTest::qWaitFor([applet]() { return applet->isWindowVisible(); }));
                      });
    }
    void closeWindow(const QString &name)
    {
        recorder.step(QStringLiteral("window %1 closed").arg(name), [this, name]() {
            subWindow(tool(name))->close();
            QVERIFY(QTest::qWaitFor([this, name]() { return !tool(name)->isWindowVisible(); }));
        });
    }

    void tab(int index)
    {
        auto *tabs = board<QTabWidget>("tabWidget");
        recorder.step(QStringLiteral("tab \"%1\"").arg(tabs->tabText(index)),
                      [tabs, index]() { switchTab(tabs, index); });
    }
    // Clicks the button, choosing file in the file dialog it opens.
    void clickOn(const char *applet, const char *name, const QString &file = QString())
    {
        auto *w = on<QAbstractButton>(applet, name);
        QVERIFY2(w, name);
        recorder.step(QStringLiteral("%1: click %2 \"%3\"%4")
                          .arg(QLatin1String(applet), QLatin1String(name), w->text(),
                               w->isEnabled() ? QString() : QStringLiteral(" (disabled)")),
                      std::function<QString()>([this, w, file]() {
                          if (!file.isEmpty())
                              prompt.queueFile(file);
                          return clickAsPerson(w);
                      }));
    }
    void clickBoard(const char *name) { clickOn("Board", name); }
    // Clicks the box when it is not ticked yet.
    void tickBoard(const char *name)
    {
        auto *w = board<QAbstractButton>(name);
        QVERIFY2(w, name);
        recorder.step(QStringLiteral("Board: tick %1 \"%2\"%3")
                          .arg(QLatin1String(name), w->text(),
                               w->isEnabled() ? QString() : QStringLiteral(" (disabled)")),
                      std::function<QString()>([w]() {
                          if (!w->isChecked())
                              return clickAsPerson(w);
                          reveal(w);
                          return QString();
                      }));
    }
    // Drags the slider or dial to the end of its range (up: its maximum): an end is reached
    // whatever the widget's size in pixels, so the value sent does not depend on the layout.
    void dragOn(const char *name, bool up)
    {
        QAbstractSlider *w = board<QAbstractSlider>(name);
        QVERIFY2(w, name);
        const int value = up ? w->maximum() : w->minimum();
        recorder.step(QStringLiteral("Board: drag %1 from %2 to its %3%4")
                          .arg(QLatin1String(name))
                          .arg(w->value())
                          .arg(up ? QStringLiteral("maximum") : QStringLiteral("minimum"))
                          .arg(w->isEnabled() ? QString() : QStringLiteral(" (disabled)")),
                      std::function<QString()>([w, value]() {
                          if (inReach(w)) {
                              if (auto *dial = qobject_cast<QDial *>(w))
                                  drag(dial, value);
                              else
                                  drag(static_cast<QSlider *>(w), value);
                          }
                          return QStringLiteral("shows %1").arg(w->value());
                      }));
    }
    // Chooses item index, or the next one when index is shown already.
    void chooseOn(const char *name, int wanted)
    {
        auto *w = board<QComboBox>(name);
        QVERIFY2(w, name);
        const int index = differentItem(w, wanted);
        recorder.step(QStringLiteral("Board: choose %1 \"%2\"%3")
                          .arg(QLatin1String(name), w->itemText(index),
                               w->isEnabled() ? QString() : QStringLiteral(" (disabled)")),
                      std::function<QString()>([w, index]() {
                          if (inReach(w) && w->isEnabled() && !choose(w, index))
                              return QStringLiteral("the list did not come up");
                          return QStringLiteral("shows \"%1\"").arg(w->currentText());
                      }));
    }
    void typeOn(const char *applet, const char *name, const QString &text)
    {
        QWidget *w = on<QWidget>(applet, name);
        QVERIFY2(w, name);
        recorder.step(QStringLiteral("%1: type %2 into %3%4")
                          .arg(QLatin1String(applet), text, QLatin1String(name),
                               w->isEnabled() ? QString() : QStringLiteral(" (disabled)")),
                      [w, text]() {
                          if (inReach(w) && w->isEnabled())
                              type(w, text);
                      });
    }

    // The main window's buttons beside the port list.
    void clickMainWindow(QAbstractButton *button, const QString &what)
    {
        recorder.step(
            QStringLiteral("main window: click %1%2")
                .arg(what, button->isEnabled() ? QString() : QStringLiteral(" (disabled)")),
            std::function<QString()>([button]() { return clickAsPerson(button); }));
    }

    // The firmware update window while it is shown, from the Service menu; it is the script's
    // to work in.
    Bootloader *firmwareWindow() const
    {
        Bootloader *update = app->bootloader();
        return update && update->isVisible() ? update : nullptr;
    }
    void openFirmwareWindow()
    {
        recorder.step(QStringLiteral("Service menu: Update Firmware"), [this]() {
            watchdog->leaveOpen(QStringLiteral("FIRMWARE Update"));
            QVERIFY(chooseFromMenu(window(), window()->serviceMenu(), window()->firmwareAction()));
            QVERIFY(QTest::qWaitFor([this]() { return firmwareWindow() != nullptr; }));
        });
    }
    // Clicks a button of the firmware window, choosing file in the file dialog it opens; the
    // step notes the size of the image the window holds then.
    void clickFirmware(const char *name, const QString &file = QString())
    {
        auto *button = firmwareWindow()->findChild<QPushButton *>(QLatin1String(name));
        QVERIFY2(button, name);
        recorder.step(QStringLiteral("firmware window: click %1 \"%2\"%3")
                          .arg(QLatin1String(name), button->text(),
                               button->isEnabled() ? QString() : QStringLiteral(" (disabled)")),
                      std::function<QString()>([this, button, file]() {
                          if (!file.isEmpty())
                              prompt.queueFile(file);
                          const QString missed = clickAsPerson(button);
                          const int bytes = firmwareWindow()->hexFile().size();
                          return missed.isEmpty() ? QStringLiteral("image of %1 bytes").arg(bytes)
                                                  : missed;
                      }));
    }
    void closeFirmwareWindow()
    {
        recorder.step(QStringLiteral("firmware window closed"), [this]() {
            firmwareWindow()->close();
            QVERIFY(QTest::qWaitFor([this]() { return firmwareWindow() == nullptr; }));
        });
    }

    // The console (F1 on the page): an item typed, then Set with a value, or Fill 0 / Fill 1.
    AppletHelper *console() const
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *helper = qobject_cast<AppletHelper *>(w); helper && helper->isVisible())
                return helper;
        return nullptr;
    }
    void openConsole()
    {
        recorder.step(QStringLiteral("F1 on the board page"), [this]() {
            QTest::keyClick(page(), Qt::Key_F1);
            QVERIFY(QTest::qWaitFor([this]() { return console() != nullptr; }));
        });
    }
    // Types item into the console's item list, on the tab that shows it.
    static void enterItem(AppletHelper *c, const QString &item)
    {
        QLineEdit *edit = c->itemCombo()->lineEdit();
        inReach(edit);
        edit->selectAll();
        QTest::keyClicks(edit, item);
    }
    void consoleSet(const QString &item, const QString &value)
    {
        recorder.step(QStringLiteral("console: %1 = %2, Set").arg(item, value), [&]() {
            AppletHelper *c = console();
            enterItem(c, item);
            c->valueEdit()->selectAll();
            QTest::keyClicks(c->valueEdit(), value);
            click(c->button(QStringLiteral("Set")));
        });
    }
    void consoleFill(const QString &item, int bit)
    {
        const QString button = QStringLiteral("Fill %1").arg(bit);
        recorder.step(QStringLiteral("console: %1, %2").arg(item, button), [&]() {
            AppletHelper *c = console();
            enterItem(c, item);
            click(c->button(button));
        });
    }
    void consoleGet(const QString &item)
    {
        recorder.step(QStringLiteral("console: %1, Get").arg(item), std::function<QString()>([&]() {
                          AppletHelper *c = console();
                          enterItem(c, item);
                          clickAsPerson(c->button(QStringLiteral("Get")));
                          return QStringLiteral("shows %1").arg(c->valueEdit()->text());
                      }));
    }
    // The function typed on the console's function tab, its argument, then Run; the step
    // notes the result shown.
    void consoleRun(const QString &function, const QString &argument)
    {
        recorder.step(QStringLiteral("console: %1(%2), Run").arg(function, argument),
                      std::function<QString()>([&]() {
                          AppletHelper *c = console();
                          QLineEdit *name = c->functionCombo()->lineEdit();
                          inReach(name);
                          name->selectAll();
                          QTest::keyClicks(name, function);
                          c->argumentEdit()->selectAll();
                          QTest::keyClicks(c->argumentEdit(), argument);
                          clickAsPerson(c->button(QStringLiteral("Run")));
                          const QList<QLineEdit *> results = {
                              c->intResultEdit(), c->realResultEdit(), c->textResultEdit()};
                          for (QLineEdit *result : results)
                              if (result->isVisible())
                                  return QStringLiteral("shows \"%1\"").arg(result->text());
                          return QStringLiteral("shows no result");
                      }));
    }
    void consoleClick(const QString &button)
    {
        recorder.step(QStringLiteral("console: %1").arg(button), std::function<QString()>([&]() {
                          return clickAsPerson(console()->button(button));
                      }));
    }
    // Export with the register ticked in its list, saved as file; the step notes the registers
    // the file holds.
    void consoleExport(const QString &reg, const QString &file)
    {
        recorder.step(
            QStringLiteral("console: Export, %1 ticked").arg(reg), std::function<QString()>([&]() {
                watchdog->answerNext(QStringLiteral("REGISTER"),
                                     [reg](QWidget *dialog) { tickAndAccept(dialog, reg); });
                prompt.queueFile(file);
                clickAsPerson(console()->button(QStringLiteral("Export")));
                QByteArray names;
                for (const QByteArray &line :
                     TestFiles::read(console()->storedFileName(file)).split('\n'))
                    names += line.left(line.indexOf("::")) + ' ';
                return QStringLiteral("holds %1").arg(QString::fromLatin1(names.trimmed()));
            }));
    }
    void consoleImport(const QString &file)
    {
        recorder.step(QStringLiteral("console: Import"), [&]() {
            prompt.queueFile(file);
            clickAsPerson(console()->button(QStringLiteral("Import")));
        });
    }
    void closeConsole()
    {
        recorder.step(QStringLiteral("console closed"), [this]() { console()->close(); });
    }

    // One batch on a connection of its own; the step names the requests and the reply.
    void request(const QByteArray &batch)
    {
        QByteArray shown = batch.trimmed();
        shown.replace(sim.board.devicePath().toLatin1(), "<port>");
        shown.replace('\t', ' ').replace('\n', " | ");
        recorder.step(QStringLiteral("socket: %1").arg(QString::fromLatin1(shown)),
                      std::function<QString()>([&batch]() {
                          const QByteArray reply =
                              PipeClient::exchange(PipeClient::programPipe(), batch);
                          return QStringLiteral("\"%1\"").arg(QString::fromLatin1(reply).replace(
                              QLatin1Char('\n'), QLatin1String("\\n")));
                      }));
    }
    // Runs act, a person's command; once it has sent its first line, the next time it lets
    // events in (a box, a progress window) a script sends batch. The step notes whether the
    // request was kept waiting there, and its reply.
    void requestDuring(const QString &what, const QByteArray &batch,
                       const std::function<void(const std::function<void()> &)> &act)
    {
        recorder.step(what, std::function<QString()>([this, &batch, &act]() {
                          std::unique_ptr<PipeClient> script;
                          bool kept = false;
                          const auto sendOnce = [&]() {
                              if (script || sim.board.lines().isEmpty())
                                  return;
                              script = std::make_unique<PipeClient>();
                              script->send(batch);
                              kept = script->keptWaitingBy(*app->localServer());
                          };
                          act(sendOnce);
                          if (!script)
                              return QStringLiteral("no request sent");
                          script->waitClosed();
                          return QStringLiteral("request %1, reply \"%2\"")
                              .arg(kept ? QStringLiteral("kept waiting") : QStringLiteral("served"),
                                   QString::fromLatin1(script->received)
                                       .replace(QLatin1Char('\n'), QLatin1String("\\n")));
                      }));
    }
    // Auto addressing's Execute over rows (a row on buck 3 asks the operator in boxes), a script
    // sending batch at one of its boxes.
    void executeAddressing(const QStringList &rows, const QByteArray &batch)
    {
        requestDuring(QStringLiteral("AutoAddressing: rows %1, click pbWrite, a script at a box")
                          .arg(rows.join(QLatin1Char(' '))),
                      batch, [this, &rows](const std::function<void()> &atEvents) {
                          auto *table = on<QTableWidget>("AutoAddressing", "tableWidget");
                          table->setRowCount(0);
                          for (const QString &row : rows) {
                              table->insertRow(table->rowCount());
                              const QStringList cells = row.split(QLatin1Char(','));
                              for (int c = 0; c < cells.size(); ++c)
                                  table->setItem(table->rowCount() - 1, c,
                                                 new QTableWidgetItem(cells.at(c)));
                          }
                          prompt.onMessage = [&atEvents](const Prompt::Message &) { atEvents(); };
                          click(on<QPushButton>("AutoAddressing", "pbWrite"));
                          prompt.onMessage = nullptr;
                      });
    }
    // The firmware window from the menu, an image of size bytes loaded and flashed, a script
    // sending batch between two blocks.
    void flashImage(int size, const QByteArray &batch)
    {
        requestDuring(QStringLiteral("firmware window: an image of %1 bytes loaded, click pbFlash, "
                                     "a script between blocks")
                          .arg(size),
                      batch, [this, size](const std::function<void()> &atEvents) {
                          window()->firmwareAction()->trigger();
                          Bootloader *update = app->bootloader();
                          QVERIFY(TestFiles::write("image.hex", hexImage(size)));
                          prompt.queueFile(QDir::current().absoluteFilePath("image.hex"));
                          click(update->findChild<QPushButton *>("pbLoadHex"));
                          const auto watch =
                              connect(update->findChild<QProgressBar *>(),
                                      &QProgressBar::valueChanged, this, [&atEvents](int blocks) {
                                          if (blocks == 1)
                                              atEvents();
                                      });
                          // The window is modal: the watchdog would close it.
                          watchdog.reset();
                          click(update->findChild<QPushButton *>("pbFlash"));
                          watchdog = std::make_unique<ModalWatchdog>();
                          disconnect(watch);
                          update->close();
                      });
    }
    // An Intel HEX image of size bytes at the boot loader's base address.
    static QByteArray hexImage(int size)
    {
        QByteArray text = ":02000004800575\r\n";
        for (int at = 0; at < size; at += 16) {
            const int n = qMin(16, size - at);
            QByteArray record = QByteArray(1, char(n)) + char(at >> 8) + char(at & 0xFF) + '\0' +
                                QByteArray(n, char(0x5A));
            int sum = 0;
            for (char c : record)
                sum += quint8(c);
            text += ':' + (record + char(-sum)).toHex().toUpper() + "\r\n";
        }
        return text + ":00000001FF\r\n";
    }
    void reopenBySocket()
    {
        request("run\tclose\nrun\topen\ts" + sim.board.devicePath().toLatin1() + "\n");
    }

    // Every command button of the tool window, in the form's order, each on its tab; a button
    // that closes the window last. A button named in files opens a file dialog, answered so.
    void clickEveryButton(const char *applet, const QHash<QString, QString> &files = {})
    {
        QList<QAbstractButton *> buttons;
        QList<QAbstractButton *> closers;
        for (QAbstractButton *b : tool(QLatin1String(applet))->findChildren<QAbstractButton *>()) {
            if (!qobject_cast<QPushButton *>(b) && !qobject_cast<QToolButton *>(b))
                continue;
            // Qt's own buttons (a tab bar's scroll arrows) are not the form's commands.
            if (b->objectName().isEmpty() || b->objectName().startsWith(QLatin1String("qt_")) ||
                qobject_cast<QTabBar *>(b->parentWidget()))
                continue;
            (b->objectName() == QLatin1String("pbClose") ? closers : buttons) << b;
        }
        for (QAbstractButton *b : buttons + closers)
            clickOn(applet, qPrintable(b->objectName()), files.value(b->objectName()));
    }

    // A firmware image of a block and a part (300 bytes) at the flash's base.
    QString firmwareImage()
    {
        const QString path = files.filePath(QStringLiteral("firmware.hex"));
        return TestFiles::write(path, hexImage(300)) ? path : QString();
    }
    // An animation script of one device and two steps.
    QString animationScript()
    {
        const QString path = files.filePath(QStringLiteral("wave.csv"));
        return TestFiles::write(path, ScriptCsv::script(1, "1", ScriptCsv::steps(2, 1)))
                   ? path
                   : QString();
    }

private slots:
    void initTestCase()
    {
        Board::setDelayHook([](unsigned) {});
        if (imageName() == QLatin1String("err"))
            sim.board.refuse("SPI0CS3DATA");
        sim.addDefaultChips();
        app->setAppletFactories(toolAppletFactories());
        app->setPortProbe([]() { return QStringList{"mockup", "script"}; });
        QVERIFY(TestFiles::installShippedConfiguration());
        QVERIFY(app->init());
        // The simulated board answers every line; on a loaded machine an answer may come late,
        // and a late answer taken for a missing one would change what the page sends next.
        app->controlBoard()->setTimeout(LoadedAnswerMs);
        exchanges = std::make_unique<ExchangeLog>(app->controlBoard(), sim.board);
        app->start();
        QVERIFY(QTest::qWaitForWindowExposed(window()));
        QVERIFY(QTest::qWaitFor([this]() { return window()->portList()->count() > 0; }));
        watchdog = std::make_unique<ModalWatchdog>();
    }
    void cleanupTestCase()
    {
        watchdog.reset();
        exchanges.reset();
        app->shutdown();
        Board::setDelayHook(nullptr);
    }

    // One approved line changed fails the comparison, which names the line both ways; an
    // approved copy that is missing fails too.
    void aChangedLineFails()
    {
        if (ApprovedTrace::approving())
            QSKIP("approving traces");
        const QByteArray source = qgetenv("KVL_SOURCE_DIR");
        QTemporaryDir dir;
        qputenv("KVL_SOURCE_DIR", dir.path().toLocal8Bit());
        QByteArray approved = "== action\n";
        for (int k = 0; k < 40; ++k)
            approved += "> line " + QByteArray::number(k) + '\n';
        QVERIFY(TestFiles::write(dir.filePath("t.txt"), approved));
        const QString agreed = ApprovedTrace::check("t.txt", approved);
        const QString missing = ApprovedTrace::check("none.txt", approved);
        QByteArray heard = approved;
        heard.replace("> line 17\n", "> line 17 changed\n");
        const QString changed = ApprovedTrace::check("t.txt", heard);
        qputenv("KVL_SOURCE_DIR", source);
        QCOMPARE(agreed, QString());
        QVERIFY(missing.contains("no approved trace"));
        QVERIFY2(changed.contains("-    19: > line 17\n+    19: > line 17 changed"),
                 qPrintable(changed));
        QVERIFY(changed.contains("     18: > line 16") && !changed.contains("line 13"));
    }

    // A person at the bench: connects, opens the page, goes through its tabs and works its
    // boxes, sliders, dials, lists and fields, uses the console, opens and closes tool windows,
    // disconnects and connects again.
    void gui()
    {
        beginTrace("gui");
        connectByBar();
        openByShortcut(QStringLiteral("Board"));
        for (int index = 0; index < board<QTabWidget>("tabWidget")->count(); ++index)
            tab(index);
        tab(0);
        clickBoard("cbAutoupdate");
        dragOn("SW1", true);
        clickBoard("cbAutoupdate");
        clickBoard("cbAutoupdate");
        dragOn("SW5", true);
        clickBoard("pbUpdate");
        clickBoard("cbAutoupdate");
        dragOn("slAll", false);
        typeOn("Board", "spAllDC", QStringLiteral("200"));
        // The position modes move the pattern with the position slider.
        tickBoard("cbByRow");
        dragOn("slHorizontal", true);
        clickBoard("pbPattern1");
        tickBoard("cbBySW");
        dragOn("slHorizontal", false);
        clickBoard("pbPattern2");
        tickBoard("cbByRowIndependent");
        dragOn("slHorizontal", true);
        clickBoard("pbPattern3");
        chooseOn("cbStepping", 1);
        clickBoard("cbBUCK1EN");
        clickBoard("cbBUCK2EN");
        typeOn("Board", "leW_BANK_SA_2", QStringLiteral("7"));
        clickBoard("cb_sw1");
        chooseOn("comboBox", 1);
        clickBoard("cbEN1");
        dragOn("dialBuck1", true);
        dragOn("hsRIPPLE1", false);
        clickBoard("cbBOOSTEN");
        dragOn("dialBoostVoltage", true);
        clickBoard("cbPWM1");
        typeOn("Board", "leFREQ1", QStringLiteral("2000"));
        typeOn("Board", "leDUTY1", QStringLiteral("30"));
        clickBoard("cbLEDCTRL2");
        dragOn("dialVBOOST", false);
        clickBoard("cbBST1EN");
        chooseOn("cmBSTSRC", 1);
        dragOn("dialBCK1AVG", true);
        typeOn("Board", "sbBCK1RANGE", QStringLiteral("2"));
        clickBoard("cbLEDCTRL1P404");
        clickBoard("cbPWM2P404");
        typeOn("Board", "leDUTY2P404", QStringLiteral("40"));
        clickBoard("cbPWM2P404");
        clickBoard("cbPWM1");
        openConsole();
        consoleSet(QStringLiteral("SA"), QStringLiteral("1"));
        consoleSet(QStringLiteral("DCREG[SW2]"), QStringLiteral("700"));
        consoleFill(QStringLiteral("BUCK1"), 1);
        consoleFill(QStringLiteral("SPI_MAPP404"), 0);
        consoleGet(QStringLiteral("SPI_MAPP404[BUCK1_IAVG]"));
        consoleRun(QStringLiteral("ReadVBOOST"), QString());
        consoleClick(QStringLiteral("Update all"));
        const QString registers = files.filePath(QStringLiteral("console.101"));
        consoleExport(QStringLiteral("BUCK1"), registers);
        consoleImport(console()->storedFileName(registers));
        closeConsole();
        openFromMenu(QStringLiteral("SpiRaw"));
        typeOn("SpiRaw", "leSpiIn_15_0", QStringLiteral("1234"));
        closeWindow(QStringLiteral("SpiRaw"));
        openByShortcut(QStringLiteral("Pxn"));
        closeWindow(QStringLiteral("Pxn"));
        openFromMenu(QStringLiteral("Configuration"));
        closeWindow(QStringLiteral("Configuration"));
        openFirmwareWindow();
        clickFirmware("pbDefault");
        clickFirmware("pbLoadHex", firmwareImage());
        clickFirmware("pbFlash");
        clickFirmware("pbRestart");
        closeFirmwareWindow();
        disconnectByBar();
        clickMainWindow(window()->rescanButton(), QStringLiteral("Rescan"));
        connectByBar();
        clickMainWindow(window()->restoreButton(), QStringLiteral("\"Restore last\""));
        endTrace("gui");
    }

    // Every command button of the board page and of each tool window, once, in table order.
    void buttons()
    {
        beginTrace("buttons");
        for (const char *applet : {"SpiRaw", "SpiEEPROM", "AutoAddressing", "AddressDiscovery",
                                   "Otp", "Pxn", "Configuration", "Board", "SpiRaw4B"}) {
            if (!tool(QLatin1String(applet))->isWindowVisible())
                openFromMenu(QLatin1String(applet));
            // The PWM buttons of the LED-control lines are there only while the lines dim.
            if (applet == QLatin1String("Board"))
                for (const char *box : {"cbPWM1", "cbPWM2", "cbPWM1P404", "cbPWM2P404"})
                    tickBoard(box);
            clickEveryButton(applet, {{QStringLiteral("pbLoadCSV"), animationScript()}});
            if (tool(QLatin1String(applet))->isWindowVisible())
                closeWindow(QLatin1String(applet));
        }
        endTrace("buttons");
    }

    // A script driving the bench through the command socket alone.
    void socket()
    {
        beginTrace("socket");
        reopenBySocket();
        request("set\tBoard.SA\ti7\nget\tBoard.SA\n");
        request("set\tBoard.DCREG[SW3]\ti512\n");
        request("run\tBoard.allOn\n");
        request("run\tBoard.Pattern2\n");
        request("run\tBoard.Write_REG_1\n");
        request("run\tBoard.Read_REG_16\n");
        request("set\tBoard.PWM1\ti1\n");
        request("run\tBoard.setDuty1\n");
        request("set\tBoard.LEDCTRL1\ti1\n");
        request("set\tBoard.BUCK1[EN]\ti1\n");
        request("set\tBoard.SPI_MAPP404[BUCK1_EN]\ti1\n");
        request("run\tBoard.Write\ti1\n");
        request("run\tBoard.Read\ts55\n");
        request("run\tBoard.ReadVBOOST\n");
        request("set\tBoard.SA\ti99\n");
        request("set\tBoard.SA\t7\n");
        request("set\tBoard.DCALL\tf250\n");
        request("run\tBoard.allOff\n");
        request("run\tSpiRaw.Transfer\n");
        request("run\tPxn.Read_raw_data\n");
        request("get\tConfiguration.SACONF\n");
        request("run\tclose\n");
        request("set\tBoard.DCREG[SW4]\ti100\n");
        reopenBySocket();
        endTrace("socket");
    }

    // A person and a script at the same bench, one after the other.
    void interleaved()
    {
        beginTrace("interleaved");
        openByShortcut(QStringLiteral("Board"));
        dragOn("SW2", true);
        request("get\tBoard.DCREG[SW2]\n");
        request("set\tBoard.DCREG[SW2]\ti10\n");
        dragOn("SW2", false);
        clickBoard("cbPWM1");
        request("get\tBoard.LEDCTRL1\nget\tBoard.PWM1\n");
        request("set\tBoard.LEDCTRL1\ti1\n");
        clickBoard("pbAllOn");
        request("run\tBoard.allOff\n");
        typeOn("Board", "leW_BANK_SA_2", QStringLiteral("1"));
        request("run\tBoard.Write_REG_2\n");
        openConsole();
        consoleSet(QStringLiteral("DCALL"), QStringLiteral("90"));
        request("get\tBoard.DCALL\n");
        closeConsole();
        request("run\tclose\n");
        connectByBar();
        openByShortcut(QStringLiteral("SpiEEPROM"));
        request("run\tSpiEEPROM.readStatus\n");
        closeWindow(QStringLiteral("SpiEEPROM"));
        // Commands that let events in while they send: a script's request waits for their end.
        openFromMenu(QStringLiteral("AutoAddressing"));
        executeAddressing({"1,80,1", "7,80,3"},
                          "set\tConfiguration.SACONF\ti5\nrun\tConfiguration.OP_MODE_STATUS_READ\n");
        closeWindow(QStringLiteral("AutoAddressing"));
        flashImage(3 * 256 + 10, "run\twrite\tsget SCRIPTLINE\n");
        disconnectByBar();
        reopenBySocket();
        endTrace("interleaved");
    }
};

// On a bench's full-HD screen the main window shows the whole board page: a person reaches
// every control of it, to the ends of its sliders.
KVL_PROGRAM_TEST_MAIN_ON_SCREEN(TestBoardTrace, 1920, 1080)
#include "tst_boardtrace.moc"
