#include "data/Thistorique.h"

#include <sqlite3.h>

#include <QSqlQuery>
#include <QSqlResult>

#include "data/Datamoduleabs.h"

namespace {

const char* const Colonnes[] = {"id",         "agence",       "utilisateur", "date_creation",
                                "expediteur", "destinataire", "numero",      "message",
                                "date_envoi", "etat"};

// The engine's own statement behind an opened query, when the driver is SQLite's.
sqlite3_stmt* Instruction(const QSqlQuery& requete) {
    const QSqlResult* resultat = requete.result();
    if (!resultat) return nullptr;
    const QVariant h = resultat->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0) return nullptr;
    return *static_cast<sqlite3_stmt* const*>(h.data());
}

QByteArrayView Colonne(sqlite3_stmt* instruction, int position) {
    const unsigned char* texte = sqlite3_column_text(instruction, position);
    if (!texte) return QByteArrayView();
    return QByteArrayView(reinterpret_cast<const char*>(texte),
                          sqlite3_column_bytes(instruction, position));
}

// Whether the statement stands on the row the query shows, the only way to go on
// reading it directly. The id is among the columns, so two rows never look alike.
bool SurLaLigneDeLaRequete(const QSqlQuery& requete, sqlite3_stmt* instruction,
                           const std::array<int, 10>& positions) {
    if (sqlite3_data_count(instruction) <= 0) return false;
    for (int p : positions) {
        const QVariant valeur = requete.value(p);
        const QByteArrayView brut = Colonne(instruction, p);
        if (valeur.isNull() != brut.isNull()) return false;
        if (!valeur.isNull() && valeur.toString() != QString::fromUtf8(brut)) return false;
    }
    return true;
}

}  // namespace

THistorique::THistorique(const QSqlRecord& ligne)
    : Fdate_creation(DateZero()), Fdate_envoi(DateZero()) {
    Fid = ChampLigne(ligne, QStringLiteral("id")).toInt();
    Fagence = ChampLigne(ligne, QStringLiteral("agence")).toString();
    Futilisateur = ChampLigne(ligne, QStringLiteral("utilisateur")).toString();
    Fdate_creation = LireDateBase(ChampLigne(ligne, QStringLiteral("date_creation")));
    Fexpediteur = ChampLigne(ligne, QStringLiteral("expediteur")).toString();
    Fdestinataire = ChampLigne(ligne, QStringLiteral("destinataire")).toString();
    Fnumero = ChampLigne(ligne, QStringLiteral("numero")).toString();
    Fmessage = ChampLigne(ligne, QStringLiteral("message")).toString();
    Fdate_envoi = LireDateBase(ChampLigne(ligne, QStringLiteral("date_envoi")));
    Fetat = ChampLigne(ligne, QStringLiteral("etat")).toString();
}

void THistorique::AjouterHistorique(const QString& agence, const QString& utilisateur,
                                    const QString& expediteur, const QString& destinataire,
                                    const QString& numero, const QString& message,
                                    const QDateTime& date_envoi, const QString& etat) {
    if (!DataModuleAbs) throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
    std::unique_ptr<TRequete> requete = DataModuleAbs->CreerRequete();
    if (!requete) throw EErreurBase("Erreur : la base de données n'est pas ouverte.");

    requete->SQL << "INSERT INTO Historique (agence, utilisateur, date_creation, expediteur, "
                    "destinataire, numero, message, date_envoi, etat) VALUES "
                 << " (:Agence, :User, :DateCreation, :Expediteur, :Destinataire, :Numero, "
                    ":Message, :DateEnvoi, :Etat)";
    requete->ParamTexte(QStringLiteral("Agence"), agence);
    requete->ParamTexte(QStringLiteral("User"), utilisateur);
    requete->ParamDate(QStringLiteral("DateCreation"), QDateTime::currentDateTime());
    requete->ParamTexte(QStringLiteral("Expediteur"), expediteur);
    requete->ParamTexte(QStringLiteral("Destinataire"), destinataire);
    requete->ParamTexte(QStringLiteral("Numero"), numero);
    requete->ParamTexte(QStringLiteral("Message"), message);
    requete->ParamDate(QStringLiteral("DateEnvoi"), date_envoi);
    requete->ParamTexte(QStringLiteral("Etat"), etat);

    // Taken at once rather than at the first write, so that the wait for another running
    // copy goes through the busy timeout.
    TTransactionImmediate transaction(DataModuleAbs->NomConnexion());
    if (requete->ExecSQL() != 1)
        throw EErreurBase("Erreur : la ligne d'historique n'a pas été enregistrée.");
    transaction.Valider();
}

void THistorique::ParcourirLignes(TRequete& requete,
                                  const std::function<void(const TColonnesBrutes&)>& ligne) {
    if (requete.Eof()) {
        requete.Fermer();
        return;
    }
    QSqlQuery& q = requete.Requete();
    const QSqlRecord champs = q.record();
    std::array<int, 10> positions{};
    for (size_t i = 0; i < positions.size(); ++i) {
        positions[i] = champs.indexOf(QLatin1String(Colonnes[i]));
        if (positions[i] < 0)
            throw EErreurBase(QStringLiteral("Erreur : le champ « %1 » n'existe pas dans le "
                                             "résultat de la requête.")
                                  .arg(QLatin1String(Colonnes[i]))
                                  .toStdString());
    }
    TColonnesBrutes colonnes;

    // QSqlQuery turns every column of every row into a UTF-16 QVariant, which costs more
    // than the engine's own reading; on SQLite the rows are taken from the statement
    // itself, from the row the query already stands on.
    sqlite3_stmt* instruction = LectureDirecte ? Instruction(q) : nullptr;
    if (instruction && SurLaLigneDeLaRequete(q, instruction, positions)) {
        for (;;) {
            for (size_t i = 0; i < positions.size(); ++i)
                colonnes[i] = Colonne(instruction, positions[i]);
            ligne(colonnes);
            const int code = sqlite3_step(instruction);
            if (code == SQLITE_DONE) break;
            if (code != SQLITE_ROW)
                throw EErreurBase(
                    QStringLiteral("Erreur : lecture du résultat impossible : %1")
                        .arg(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(instruction))))
                        .toStdString());
        }
        requete.Fermer();
        return;
    }

    std::array<QByteArray, 10> textes;
    while (!requete.Eof()) {
        for (size_t i = 0; i < positions.size(); ++i) {
            const QVariant valeur = q.value(positions[i]);
            if (valeur.isNull()) {
                colonnes[i] = QByteArrayView();
            } else {
                textes[i] = valeur.toString().toUtf8();
                colonnes[i] = QByteArrayView(textes[i].constData(), textes[i].size());
            }
        }
        ligne(colonnes);
        requete.Suivant();
    }
    requete.Fermer();
}
