#include "data/CreationBase.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include "data/Connexionbase.h"
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
    // SQLite takes its file names in UTF-8 on every system (not Windows' ANSI code page).
    int rc = sqlite3_open_v2(chemin.toUtf8().constData(), &base, SQLITE_OPEN_READWRITE, nullptr);
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

void CreerTablesServeur(const QSqlDatabase& base) {
    VerifierOuverte(base);
    QSqlQuery q(base);
    if (!q.exec(QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE "
                               "TABLE_SCHEMA = DATABASE() AND TABLE_NAME IN ('Categorie', "
                               "'ConfigurationApi', 'Historique', 'Parametres', 'Template')")))
        throw EErreurBase(QStringLiteral("Erreur : la base du serveur n'a pas pu être lue : %1")
                              .arg(TexteMoteur(q.lastError())));
    QStringList presentes;
    while (q.next()) presentes << q.value(0).toString();
    if (!presentes.isEmpty())
        throw EErreurBase(QStringLiteral("Erreur : la base « %1 » du serveur contient déjà les "
                                         "tables %2 ; rien n'est créé.")
                              .arg(base.databaseName(), presentes.join(QStringLiteral(", "))));
    // The script's statements one by one: comments dropped, each ended by ";".
    QString script = QString::fromUtf8(SchemaMariadbSql());
    script.remove(QRegularExpression(QStringLiteral("--[^\\n]*")));
    for (const QString& instruction : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (instruction.trimmed().isEmpty()) continue;
        if (!q.exec(instruction))
            throw EErreurBase(QStringLiteral("Erreur : les tables n'ont pas pu être créées sur le "
                                             "serveur : %1")
                                  .arg(TexteMoteur(q.lastError())));
    }
}
