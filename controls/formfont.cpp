#include "formfont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace
{

const char *const FormFamily = "MS Shell Dlg 2";
constexpr int FormPointSize = 8;
// The board form also names this Windows family for the bold captions of its picture buttons.
const char *const CaptionFamily = "MS PGothic";
const char *const SubstituteFamily = "Tahoma";
// Wine keeps its fonts out of fontconfig's folders, so the program loads them itself.
const char *const SubstituteFiles[] = {"/usr/share/wine/fonts/tahoma.ttf",
                                       "/usr/share/wine/fonts/tahomabd.ttf"};

} // namespace

QString FormFont::family()
{
    return QString::fromLatin1(FormFamily);
}

int FormFont::pointSize()
{
    return FormPointSize;
}

QString FormFont::substitute()
{
    return QString::fromLatin1(SubstituteFamily);
}

void FormFont::install()
{
    if (!QFontDatabase::hasFamily(substitute())) {
        for (const char *file : SubstituteFiles)
            QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    }
    QFont::insertSubstitution(family(), substitute());
    QFont::insertSubstitution(QString::fromLatin1(CaptionFamily), substitute());
    QApplication::setFont(QFont(family(), FormPointSize));
}
