#include "otp.h"

#include "mainapp.h"
#include "ui_otp.h"

Otp::Otp(QWidget *parent) : Applet(parent), ui(new Ui::Otp)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Otp Registers"));
}

Otp::~Otp()
{
    delete ui;
}

QVariant Otp::run(const QString &command, const QVariant &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    return QVariant();
}

bool Otp::init()
{
    m_projectType = MainApp::instance()->projectType();
    return true;
}
