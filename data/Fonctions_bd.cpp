#include "data/Fonctions_bd.h"

#include "data/Connexionbase.h"
#include "data/Datamoduleabs.h"
#include "data/Moteur.h"

const QString TypeString = QStringLiteral("STRING");
const QString TypeShortInt = QStringLiteral("SHORTINT");
const QString TypeSmallInt = QStringLiteral("SMALLINT");
const QString TypeInteger = QStringLiteral("INTEGER");
const QString TypeLargeInt = QStringLiteral("LARGEINT");
const QString TypeFloat = QStringLiteral("FLOAT");
const QString TypeCurrency = QStringLiteral("CURRENCY");
const QString TypeDate = QStringLiteral("DATE");
const QString TypeTime = QStringLiteral("TIME");
const QString TypeDateTime = QStringLiteral("DATETIME");
const QString TypeBlob = QStringLiteral("BLOB");
const QString TypeGraphic = QStringLiteral("GRAPHIC");
const QString TypeMemo = QStringLiteral("MEMO");

namespace {

// Agency, user, section and key are bound the same way by every statement; a null text
// is bound as the empty text by TRequete, so that "=" finds the rows written with "".
void LierIdentite(TRequete& requete, const QString& agence, const QString& utilisateur,
                  const QString& section, const QString& cle) {
    requete.ParamTexte(QStringLiteral("Agence"), agence);
    requete.ParamTexte(QStringLiteral("Utilisateur"), utilisateur);
    requete.ParamTexte(QStringLiteral("Section"), section);
    requete.ParamTexte(QStringLiteral("Cle"), cle);
}

// The lines that pick one setting by agency, user, section and key, bound.
void ChoisirIdentite(TRequete& requete, const QString& agence, const QString& utilisateur,
                     const QString& section, const QString& cle) {
    requete.SQL << " WHERE `agence` = :Agence "
                << " AND `utilisateur` = :Utilisateur "
                << " AND `section` = :Section "
                << " AND `cle` = :Cle ";
    LierIdentite(requete, agence, utilisateur, section, cle);
}

// Binds an INTEGER setting's value and runs the write; true when it wrote one row.
bool ExecuterEcritureEntier(TRequete& requete, qint32 valeur) {
    requete.ParamTexte(QStringLiteral("ValeurType"), TypeInteger);
    requete.ParamEntier(QStringLiteral("Valeur"), valeur);
    return requete.ExecSQL() == 1;
}

const QString SectionConfig = QStringLiteral("CONFIG");
const QString CleBloquerCreation = QStringLiteral("BloquerCreation");

}  // namespace

bool ExisteParametre(TCurseur& table, const QString& agence, const QString& utilisateur,
                     const QString& section, const QString& cle, const QString& valeurType) {
    TRequete requete(table.NomConnexion());
    requete.SQL << "SELECT * FROM Parametres";
    ChoisirIdentite(requete, agence, utilisateur, section, cle);
    requete.SQL << " AND `valeur_type` = :ValeurType ";
    requete.ParamTexte(QStringLiteral("ValeurType"), valeurType);
    requete.Ouvrir();
    const bool resultat = requete.NombreLignes() == 1;
    requete.Fermer();
    return resultat;
}

bool ExisteParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                           const QString& section, const QString& cle) {
    return ExisteParametre(table, agence, utilisateur, section, cle, TypeInteger);
}

bool InsererParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                            const QString& section, const QString& cle, qint32 valeur) {
    TRequete requete(table.NomConnexion());
    requete.SQL << "INSERT INTO Parametres"
                << " ( `agence`, `utilisateur`, `section`, `cle`, `valeur_type`, `valeur_int`)  "
                << " VALUES "
                << " ( :Agence, :Utilisateur, :Section, :Cle, :ValeurType, :Valeur )";
    LierIdentite(requete, agence, utilisateur, section, cle);
    return ExecuterEcritureEntier(requete, valeur);
}

bool ModifierParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                             const QString& section, const QString& cle, qint32 valeur) {
    TRequete requete(table.NomConnexion());
    requete.SQL << "UPDATE Parametres set "
                << " `valeur_type` = :ValeurType, "
                << " `valeur_int` = :Valeur ";
    ChoisirIdentite(requete, agence, utilisateur, section, cle);
    return ExecuterEcritureEntier(requete, valeur);
}

bool EcrireParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                           const QString& section, const QString& cle, qint32 valeur) {
    // The test and the write form one write transaction, so that another running copy
    // cannot insert the same setting in between.
    // On the server, a locking read of the identity makes another workstation's same
    // test wait; a deadlock between two first writes runs the whole again.
    return RejouerSurConflit(table.NomConnexion(), [&] {
        TTransactionImmediate transaction(table.NomConnexion());
        MoteurDe(table.NomConnexion())
            .VerrouillerParametre(Connexion(table.NomConnexion()), agence, utilisateur, section,
                                  cle);
        bool resultat = false;
        try {
            resultat =
                ExisteParametreEntier(table, agence, utilisateur, section, cle)
                    ? ModifierParametreEntier(table, agence, utilisateur, section, cle, valeur)
                    : InsererParametreEntier(table, agence, utilisateur, section, cle, valeur);
        } catch (const EErreurBase& e) {
            // The server keeps one row per identity: a value of another type kept there (a
            // text) is left as it is rather than replaced by an integer.
            if (e.Genre() != TGenreErreur::Doublon) throw;
            throw EErreurBase(QStringLiteral("Erreur : le paramètre « %1 » de la section « %2 » "
                                             "est déjà enregistré à ce niveau avec une valeur "
                                             "qui n'est pas un entier ; il n'est pas remplacé "
                                             "(%3)")
                                  .arg(cle, section, QString::fromUtf8(e.what())),
                              e);
        }
        transaction.Valider();
        return resultat;
    });
}

qint32 LireParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                           const QString& section, const QString& cle, qint32 defaut) {
    TRequete requete(table.NomConnexion());
    requete.SQL << "SELECT valeur_int"
                << " FROM Parametres";
    ChoisirIdentite(requete, agence, utilisateur, section, cle);
    requete.SQL << " AND `valeur_type` = :ValeurType ";
    requete.ParamTexte(QStringLiteral("ValeurType"), TypeInteger);
    requete.Ouvrir();
    qint32 resultat = defaut;
    if (!requete.Eof()) {
        // An empty value reads as 0.
        const qint32 valeur = requete.Champ(QStringLiteral("valeur_int")).toInt();
        requete.Suivant();
        if (requete.Eof()) resultat = valeur;
    }
    requete.Fermer();
    return resultat;
}

std::optional<qint32> ResoudreBloquerCreation(TCurseur& table, const QString& agence,
                                              const QString& utilisateur) {
    const QString vide = QStringLiteral("");
    const std::pair<QString, QString> niveaux[] = {
        {agence, utilisateur}, {agence, vide}, {vide, vide}};
    for (const auto& [a, u] : niveaux) {
        if (ExisteParametreEntier(table, a, u, SectionConfig, CleBloquerCreation))
            return LireParametreEntier(table, a, u, SectionConfig, CleBloquerCreation, 1);
    }
    return std::nullopt;
}
