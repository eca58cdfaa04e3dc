#include "data/Tcurseur.h"

#include <QSqlError>

#include "data/Champsbase.h"
#include "data/Connexionbase.h"
#include "data/Moteur.h"
#include "data/Trequete.h"

namespace {

QString Citer(const QString& identifiant) {
    QString t = identifiant;
    t.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

}  // namespace

TCurseur::TCurseur(const QString& nomConnexion) : nomConnexion(nomConnexion) {}

void TCurseur::Ouvrir() {
    if (actif) return;
    QSqlDatabase base = Connexion(nomConnexion);
    VerifierOuverte(base);
    QSqlQuery essai(base);
    if (TableName.isEmpty() ||
        !essai.exec(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(Citer(TableName))))
        throw EErreurBase(
            QStringLiteral("Erreur : la table « %1 » est absente de la base de données : %2")
                .arg(TableName, TexteMoteur(essai.lastError())));
    actif = true;
}

void TCurseur::VerifierColonnes(const QStringList& colonnes) const {
    QSqlQuery essai(Connexion(nomConnexion));
    if (!essai.exec(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(Citer(TableName))))
        throw EErreurBase(
            QStringLiteral("Erreur : la table « %1 » est absente de la base de données : %2")
                .arg(TableName, TexteMoteur(essai.lastError())));
    const QSqlRecord ligne = essai.record();
    for (const QString& colonne : colonnes)
        if (ligne.indexOf(colonne) < 0)
            throw EErreurBase(
                QStringLiteral("Erreur : la colonne « %1 » manque dans la table « %2 » de la "
                               "base de données.")
                    .arg(colonne, TableName));
}

void TCurseur::Fermer() {
    parcours.reset();
    eof = true;
    actif = false;
}

QStringList TCurseur::ColonnesIndex(const QString& nomIndex) const {
    QSqlDatabase base = Connexion(nomConnexion);
    VerifierOuverte(base);
    const QString nomComplet = TableName + QLatin1Char('_') + nomIndex;
    // Each engine keeps its indexes' columns in a catalogue of its own.
    const QString texte = MoteurDe(nomConnexion).RequeteColonnesIndex();
    QSqlQuery q(base);
    q.setForwardOnly(true);
    QStringList colonnes;
    if (q.prepare(texte)) {
        q.bindValue(QStringLiteral(":Nom"), nomComplet);
        q.bindValue(QStringLiteral(":Table"), TableName);
        if (q.exec())
            while (q.next()) colonnes << q.value(0).toString();
    }
    if (q.lastError().isValid())
        throw EErreurBase(QStringLiteral("Erreur : l'index « %1 » de la table « %2 » n'a pas pu "
                                         "être lu : %3")
                              .arg(nomIndex, TableName, TexteMoteur(q.lastError())));
    if (colonnes.isEmpty())
        throw EErreurBase(QStringLiteral("Erreur : l'index « %1 » (%2) est absent de la table "
                                         "« %3 » : no such index: %2")
                              .arg(nomIndex, nomComplet, TableName));
    return colonnes;
}

void TCurseur::SelectionnerIndex(const QString& nomIndex) {
    if (!actif)
        throw EErreurBase(
            QStringLiteral("Erreur : la table « %1 » n'est pas ouverte.").arg(TableName));
    colonnesIndex = ColonnesIndex(nomIndex);
    indexColonnes = nomIndex;
    IndexName = nomIndex;
    IndexFieldNames.clear();
}

void TCurseur::SelectionnerChamps(const QString& champs) {
    IndexFieldNames = champs;
    IndexName.clear();
}

void TCurseur::DefinirPlage(const QString& champ, const QVariant& valeur) {
    plageChamp = champ;
    plageValeur = valeur;
}

void TCurseur::AnnulerPlage() {
    plageChamp.clear();
    plageValeur.clear();
}

void TCurseur::Premier() {
    if (!actif)
        throw EErreurBase(
            QStringLiteral("Erreur : la table « %1 » n'est pas ouverte.").arg(TableName));
    QSqlDatabase base = Connexion(nomConnexion);
    VerifierOuverte(base);

    QStringList ordre;
    if (!IndexFieldNames.isEmpty()) {
        for (const QString& champ : IndexFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            ordre << champ.trimmed();
    } else if (!IndexName.isEmpty()) {
        if (indexColonnes != IndexName) {
            colonnesIndex = ColonnesIndex(IndexName);
            indexColonnes = IndexName;
        }
        ordre = colonnesIndex;
    }

    QString texte = QStringLiteral("SELECT * FROM %1").arg(Citer(TableName));
    if (!plageChamp.isEmpty()) texte += QStringLiteral(" WHERE %1 = ?").arg(Citer(plageChamp));
    if (!ordre.isEmpty()) {
        QStringList cites;
        for (const QString& c : ordre) cites << Citer(c);
        texte += QStringLiteral(" ORDER BY ") + cites.join(QStringLiteral(", "));
    }

    parcours = std::make_unique<QSqlQuery>(base);
    parcours->setForwardOnly(true);
    positions.clear();
    bool execute = parcours->prepare(texte);
    if (execute && !plageChamp.isEmpty()) parcours->addBindValue(plageValeur);
    if (execute) execute = parcours->exec();
    if (!execute) {
        const QSqlError erreur = parcours->lastError();
        parcours.reset();
        eof = true;
        throw ErreurMoteur(
            base, erreur,
            QStringLiteral("Erreur : la table « %1 » n'a pas pu être parcourue : ").arg(TableName));
    }
    // SQLite reads an unknown double-quoted name as a text constant: check the order and
    // range fields.
    const QSqlRecord champs = parcours->record();
    for (const QString& c : ordre) {
        if (champs.indexOf(c) < 0) {
            parcours.reset();
            eof = true;
            throw EErreurBase(
                QStringLiteral("Erreur : le champ de tri « %1 » n'existe pas dans la table « %2 ».")
                    .arg(c, TableName));
        }
    }
    if (!plageChamp.isEmpty() && champs.indexOf(plageChamp) < 0) {
        parcours.reset();
        eof = true;
        throw EErreurBase(
            QStringLiteral("Erreur : le champ de plage « %1 » n'existe pas dans la table « %2 ».")
                .arg(plageChamp, TableName));
    }
    Avancer();
}

void TCurseur::Avancer() {
    eof = !parcours->next();
    if (eof) {
        QSqlError erreur = parcours->lastError();
        // Releases the statement, and with it the read lock on the file.
        parcours.reset();
        if (erreur.isValid())
            throw EErreurBase(QStringLiteral("Erreur : lecture de la table « %1 » impossible : %2")
                                  .arg(TableName, TexteMoteur(erreur)));
    }
}

void TCurseur::Suivant() {
    if (!eof && parcours) Avancer();
}

bool TCurseur::Eof() const { return eof || !parcours; }

void TCurseur::VerifierLigneCourante() const {
    if (Eof())
        throw EErreurBase(
            QStringLiteral("Erreur : la table « %1 » n'a pas de ligne courante.").arg(TableName));
}

QSqlRecord TCurseur::Ligne() const {
    VerifierLigneCourante();
    return parcours->record();
}

bool TCurseur::ParcourirBrut(const std::vector<const char*>& colonnes,
                             const std::function<void(const TChampsLigne&)>& ligne) {
    if (Eof() || !TRequete::LectureDirecte) return false;
    TChampsLigne::TPrecedents precedents(colonnes.size(), {-1, QString()});
    try {
        if (!MoteurDe(nomConnexion)
                 .ParcourirRequete(*parcours, colonnes, colonnes.front(),
                                   [&](const std::vector<QByteArrayView>& brute) {
                                       ligne(TChampsLigne(colonnes, brute, &precedents));
                                   }))
            return false;
    } catch (...) {
        // The statement stands no longer on the query's row: the walk cannot go on.
        parcours.reset();
        eof = true;
        throw;
    }
    // Releases the statement, and with it the read lock on the file.
    parcours.reset();
    eof = true;
    return true;
}

QVariant TCurseur::Champ(const QString& nom) const {
    VerifierLigneCourante();
    for (const auto& [champ, position] : positions)
        if (champ == nom) return parcours->value(position);
    const int position = parcours->record().indexOf(nom);
    if (position < 0)
        throw EErreurBase(
            QStringLiteral("Erreur : le champ « %1 » n'existe pas dans la table « %2 ».")
                .arg(nom, TableName));
    positions.emplace_back(nom, position);
    return parcours->value(position);
}
