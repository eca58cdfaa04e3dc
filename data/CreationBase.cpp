#include "data/CreationBase.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>

#include "data/Datamoduleabs.h"
#include "data/SchemaSql.h"

void CreerBase(const QString& chemin) {
    const QString affiche = QDir::toNativeSeparators(chemin);
    QFile fichier(chemin);
    // NewOnly fails when the file exists, even if another process made it a moment ago.
    if (!fichier.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (fichier.exists())
            throw EErreurBase(
                QStringLiteral("Erreur : le fichier « %1 » existe déjà ; il n'est pas remplacé.")
                    .arg(affiche));
        throw EErreurBase(QStringLiteral("Erreur : le fichier « %1 » ne peut pas être créé : %2")
                              .arg(affiche, fichier.errorString()));
    }
    fichier.close();

    sqlite3* base = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(chemin).constData(), &base, SQLITE_OPEN_READWRITE,
                             nullptr);
    QString erreur;
    if (rc == SQLITE_OK) {
        char* message = nullptr;
        const QByteArray script = QByteArrayLiteral("BEGIN;\n") + QByteArray(SchemaSql()) +
                                  QByteArrayLiteral("\nCOMMIT;");
        rc = sqlite3_exec(base, script.constData(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            erreur = QString::fromUtf8(message ? message : sqlite3_errmsg(base));
            sqlite3_free(message);
        }
    } else {
        erreur = QString::fromUtf8(base ? sqlite3_errmsg(base) : sqlite3_errstr(rc));
    }
    sqlite3_close(base);
    if (rc != SQLITE_OK) {
        QFile::remove(chemin);
        throw EErreurBase(
            QStringLiteral("Erreur : la base de données « %1 » n'a pas pu être créée : %2")
                .arg(affiche, erreur));
    }
}
