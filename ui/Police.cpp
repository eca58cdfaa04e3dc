#include "ui/Police.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

QString FamilleTahoma() {
    static const QString famille = [] {
        if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
            return QStringLiteral("Tahoma");
        for (const char* chemin :
             {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/fonts/truetype/wine/tahoma.ttf"}) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(chemin));
            if (id >= 0) {
                const QStringList familles = QFontDatabase::applicationFontFamilies(id);
                if (!familles.isEmpty()) return familles.front();
            }
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return famille;
}

}  // namespace

QFont PoliceTahoma(int points) {
    QFont police(FamilleTahoma());
    police.setPointSize(points);
    return police;
}
