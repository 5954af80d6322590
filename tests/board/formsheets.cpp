#include "formsheets.h"

#include <QHash>

// Expected texts of the shared style sheets, byte for byte as the form must carry them.
namespace
{

const char *const formStyleCheckBoxes = R"sheet(QCheckBox::indicator {
    border: 1px solid #5A5A5A;
    border-radius: 3px;
}

QCheckBox::indicator::unchecked {
    background: white;
}

QCheckBox::indicator::hover {
    border: 1px solid orange;
}

QCheckBox::indicator::pressed {
    background-color: grey;
}

QCheckBox::indicator::checked::pressed {
    background-color: grey;
}

QCheckBox::indicator::checked {
    background-color: white;
    image: url(:/board/images/checkbox_checked.png);
}

QCheckBox::indicator::checked::disabled {
    background-color: yellow;
}

)sheet";

// The form sheet keeps the grey group-box rules, commented out, between its two parts.
const char *const formStyleGroupBoxes = R"sheet(
QGroupBox::title {
    subcontrol-origin: border;
    subcontrol-position: top center;
    background-color: #DA7F3C;
    border:4px solid #DA7F3C;
    border-radius:10px;
    color:#ffffff;
    padding: 1px 8px 1px 8px;
    /* margin-top: -1ex; */
}

QGroupBox {
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #E0E0E0, stop:1 #FFFFFF);
    border: 2px solid #DA7F3C;
    padding: 15px 0px 0px 0px;
    border-radius:10px;
    font-weight: bold;
    margin-top: 1ex;
})sheet";

const char *const tabWidgetStyle = R"sheet(QTabWidget::pane {
    border-top: 2px solid #C2C7CB;
}

QTabWidget::tab-bar {
    left: 5px;
}

QTabBar::tab {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #E1E1E1, stop:0.4 #DDDDDD, stop:0.5 #D8D8D8, stop:1.0 #D3D3D3);
    border: 2px solid #C4C4C3;
    border-bottom-color: #C2C7CB;
    border-top-left-radius: 4px;
    border-top-right-radius: 4px;
    padding: 3px;
    min-width: 125px;
}

QTabBar::tab:selected, QTabBar::tab:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fafafa, stop:0.4 #f4f4f4, stop:0.5 #e7e7e7, stop:1.0 #fafafa);
}

QTabBar::tab:selected {
    border-color: #9B9B9B;
    border-bottom-color: #C2C7CB;
}

QTabBar::tab:!selected {
    margin-top: 2px;
}

QTabBar::tab:selected {
    margin-left: -4px;
    margin-right: -4px;
}

QTabBar::tab:first:selected {
    margin-left: 0;
}

QTabBar::tab:last:selected {
    margin-right: 0;
}

QTabBar::tab:only-one {
    margin: 0;
})sheet";

const char *const groupBoxStyle = R"sheet(QGroupBox {
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #E0E0E0, stop:1 #FFFFFF);
    border: 2px solid gray;
    border-radius: 5px;
    margin-top: 1ex;
}

QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top center;
    padding: 0 3px;
})sheet";

const char *const lineEditStyle = R"sheet(QLineEdit {
    border: 2px solid gray;
    border-radius: 10px;
    padding: 0 8px;
    selection-background-color: darkgray;
})sheet";

// The push-button sheet; its variants differ in the gradient's top colour and minimum size.
QString pushButtonStyle(const char *top, int minWidth, int minHeight)
{
    return QStringLiteral(R"sheet(QPushButton {
    border: 2px solid #8f8f91;
    border-radius: 6px;
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:1 #dadbde);
    min-width: %2px;
    min-height: %3px;
    font-weight: bold;
}

QPushButton:pressed {
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #dadbde, stop:1 #f6f7fa);
}

QPushButton:flat {
    border: none;
}

QPushButton:default {
    border-color: navy;
})sheet")
        .arg(QLatin1String(top))
        .arg(minWidth)
        .arg(minHeight);
}

QHash<QString, QString> buildSheets()
{
    QHash<QString, QString> sheets;
    sheets.insert(QStringLiteral("FormStyle"),
                  QString::fromUtf8(formStyleCheckBoxes) + QStringLiteral("/*\n") +
                      QString::fromUtf8(groupBoxStyle) + QStringLiteral("\n*/\n") +
                      QString::fromUtf8(formStyleGroupBoxes));
    sheets.insert(QStringLiteral("TabWidgetStyle"), QString::fromUtf8(tabWidgetStyle));
    sheets.insert(QStringLiteral("GroupBoxStyle"), QString::fromUtf8(groupBoxStyle));
    sheets.insert(QStringLiteral("LineEditStyle"), QString::fromUtf8(lineEditStyle));
    const struct {
        const char *variant;
        const char *top;
        int minWidth;
        int minHeight;
    } variants[] = {
        {"light small", "#acacaf", 80, 18}, {"light", "#acacaf", 80, 25},
        {"light wide", "#acacaf", 120, 25}, {"dark small", "#7b7b7d", 80, 18},
        {"dark large", "#7b7b7d", 100, 30}, {"dark 130", "#7b7b7d", 130, 18},
        {"dark 150", "#7b7b7d", 150, 18},
    };
    for (const auto &v : variants)
        sheets.insert(QStringLiteral("PushButtonStyle ") + QLatin1String(v.variant),
                      pushButtonStyle(v.top, v.minWidth, v.minHeight));
    return sheets;
}

} // namespace

bool FormSheets::isShared(const QString &name)
{
    return !text(name).isNull();
}

QString FormSheets::text(const QString &name)
{
    static const QHash<QString, QString> sheets = buildSheets();
    return sheets.value(name);
}
