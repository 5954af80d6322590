#include "configuration.h"

#include "mainapp.h"
#include "ui_configuration.h"

Configuration::Configuration(QWidget *parent) : Applet(parent), ui(new Ui::Configuration)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Configuration frame"));
}

Configuration::~Configuration()
{
    delete ui;
}

QVariant Configuration::run(const QString &command, const QVariant &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    return QVariant();
}

bool Configuration::init()
{
    m_to1 = MainApp::instance()->projectType().contains(QLatin1String("TO1"));
    return true;
}
