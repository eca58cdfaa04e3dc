#include "data/GreffonsMariadb.h"

#include <QtGlobal>
#ifdef Q_OS_WIN
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#endif

void DefinirDossierGreffons([[maybe_unused]] MYSQL* connexion) {
#ifdef Q_OS_WIN
    // Connector/C opens the folder with the ANSI functions: the 8-bit form of the path.
    const QByteArray dossier = QFile::encodeName(QDir::toNativeSeparators(
        QCoreApplication::applicationDirPath() + QStringLiteral("/mariadb/plugin")));
    mysql_optionsv(connexion, MYSQL_PLUGIN_DIR, dossier.constData());
#endif
}
