#include "data/Thistorique.h"

#include <sqlite3.h>

#include <QSqlQuery>
#include <QSqlResult>
#include <algorithm>

#include "data/Datamoduleabs.h"

namespace {

// The fields of TColonnesBrutes; the id is read once, to check the statement's row.
const char* const Colonnes[] = {"agence",       "utilisateur", "date_creation", "expediteur",
                                "destinataire", "message",     "date_envoi",    "etat"};

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
// reading it directly: the id, unique, tells the rows apart.
bool SurLaLigneDeLaRequete(const QSqlQuery& requete, sqlite3_stmt* instruction, int positionId) {
    if (sqlite3_data_count(instruction) <= 0 ||
        sqlite3_column_type(instruction, positionId) != SQLITE_INTEGER)
        return false;
    const QVariant id = requete.value(positionId);
    bool entier = false;
    const qlonglong valeur = id.toLongLong(&entier);
    return entier && valeur == sqlite3_column_int64(instruction, positionId);
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
    std::array<int, std::tuple_size_v<TColonnesBrutes>> positions{};
    TColonnesBrutes colonnes;

    // QSqlQuery turns every column of every row into a UTF-16 QVariant, which costs more
    // than the engine's own reading; on SQLite the rows are taken from the statement
    // itself, from the row the query already stands on.
    sqlite3_stmt* instruction = LectureDirecte ? Instruction(q) : nullptr;
    if (instruction) {
        const int nombre = sqlite3_column_count(instruction);
        auto position = [&](const char* nom) {
            for (int p = 0; p < nombre; ++p)
                if (sqlite3_stricmp(sqlite3_column_name(instruction, p), nom) == 0) return p;
            return -1;
        };
        for (size_t i = 0; i < positions.size(); ++i) positions[i] = position(Colonnes[i]);
        const int positionId = position("id");
        if (positionId < 0 ||
            std::find(positions.begin(), positions.end(), -1) != positions.end() ||
            !SurLaLigneDeLaRequete(q, instruction, positionId))
            instruction = nullptr;
    }
    if (instruction) {
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

    const QSqlRecord champs = q.record();
    for (size_t i = 0; i < positions.size(); ++i) {
        positions[i] = champs.indexOf(QLatin1String(Colonnes[i]));
        if (positions[i] < 0)
            throw EErreurBase(QStringLiteral("Erreur : le champ « %1 » n'existe pas dans le "
                                             "résultat de la requête.")
                                  .arg(QLatin1String(Colonnes[i]))
                                  .toStdString());
    }
    std::array<QByteArray, std::tuple_size_v<TColonnesBrutes>> textes;
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
