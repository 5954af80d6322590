#include "board.h"

#include "localclient.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "ui_board.h"

Board::Board(QWidget *parent) : Applet(parent), ui(new Ui::Board)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("KVL52110"));
    // The main window exists before the board page; its port list is still empty here.
    if (MainWindow *window = MainApp::instance()->mainWindow())
        m_portName = window->portName();
    m_ledDriver = new LocalClient(QStringLiteral("\\\\.\\pipe\\LEDDriver"), 500);
}

Board::~Board()
{
    delete m_ledDriver;
    delete ui;
}

QVariant Board::run(const QString &command, const QVariant &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    return QVariant();
}
