#include "data/Tconfigurationapi.h"

#include "data/Datamoduleabs.h"
#include "data/Moteur.h"

TConfigurationApi::TConfigurationApi(const QSqlRecord& ligne)
    : Fid(ChampLigne(ligne, QStringLiteral("id")).toInt()),
      Fnom(ChampLigne(ligne, QStringLiteral("nom")).toString()),
      Furl(ChampLigne(ligne, QStringLiteral("url")).toString()),
      Fcle(ChampLigne(ligne, QStringLiteral("cle")).toString()),
      Fcle_api(ChampLigne(ligne, QStringLiteral("cle_api")).toString()),
      Fnumero(ChampLigne(ligne, QStringLiteral("numero")).toString()),
      Fmessage(ChampLigne(ligne, QStringLiteral("message")).toString()),
      Fexpediteur(ChampLigne(ligne, QStringLiteral("expediteur")).toString()),
      Fdate_envoi(ChampLigne(ligne, QStringLiteral("date_envoi")).toString()),
      Fformat_date(ChampLigne(ligne, QStringLiteral("format_date")).toString()),
      Fstatut_ok(ChampLigne(ligne, QStringLiteral("statut_ok")).toString()) {}

TConfigurationApi::TConfigurationApi(const TChamps& c)
    : Fid(c.id),
      Fnom(c.nom),
      Furl(c.url),
      Fcle(c.cle),
      Fcle_api(c.cle_api),
      Fnumero(c.numero),
      Fmessage(c.message),
      Fexpediteur(c.expediteur),
      Fdate_envoi(c.date_envoi),
      Fformat_date(c.format_date),
      Fstatut_ok(c.statut_ok) {}

bool TConfigurationApi::Sauvegarder() {
    if (!DataModuleAbs) return false;
    return RejouerSurConflit(DataModuleAbs->NomConnexion(),
                             [this] { return SauvegarderUneFois(); });
}

bool TConfigurationApi::SauvegarderUneFois() {
    if (!DataModuleAbs) return false;
    std::unique_ptr<TRequete> requete = DataModuleAbs->CreerRequete();
    if (!requete) return false;

    // The identifier scan and the INSERT form one write transaction (see TCategorie).
    TTransactionImmediate transaction(DataModuleAbs->NomConnexion());
    const bool nouveau = Fid == -1;
    std::optional<qint32> id;
    try {
        if (nouveau) {
            id = DataModuleAbs->ProchainId(DataModuleAbs->tblConfigurationApi);
            requete->SQL << "INSERT INTO ConfigurationApi VALUES"
                         << " (:Id, :Nom, :URL, :License, :Api, :Numero, :Message, :Expediteur, "
                            ":Date, :Format, :Statut)";
        } else {
            requete->SQL << "UPDATE ConfigurationApi SET "
                         << "`nom` = :Nom, "
                         << "`url` = :URL, "
                         << "`cle` = :License, "
                         << "`cle_api` = :Api, "
                         << "`numero` = :Numero, "
                         << "`message` = :Message, "
                         << "`expediteur` = :Expediteur, "
                         << "`date_envoi` = :Date, "
                         << "`format_date` = :Format, "
                         << "`statut_ok` = :Statut "
                         << "WHERE `id` = :Id";
        }
        if (nouveau)
            requete->ParamIdentifiant(QStringLiteral("Id"), id);
        else
            requete->ParamEntier(QStringLiteral("Id"), Fid);
        requete->ParamTexte(QStringLiteral("Nom"), Fnom);
        requete->ParamTexte(QStringLiteral("URL"), Furl);
        requete->ParamTexte(QStringLiteral("License"), Fcle);
        requete->ParamTexte(QStringLiteral("Api"), Fcle_api);
        requete->ParamTexte(QStringLiteral("Numero"), Fnumero);
        requete->ParamTexte(QStringLiteral("Message"), Fmessage);
        requete->ParamTexte(QStringLiteral("Expediteur"), Fexpediteur);
        requete->ParamTexte(QStringLiteral("Date"), Fdate_envoi);
        requete->ParamTexte(QStringLiteral("Format"), Fformat_date);
        requete->ParamTexte(QStringLiteral("Statut"), Fstatut_ok);
        const bool resultat = requete->ExecSQL() == 1;
        if (nouveau && resultat) {
            Fid = requete->IdentifiantInsere(id);
            transaction.NoterInsertion(QStringLiteral("ConfigurationApi"), QStringLiteral("id"),
                                       Fid);
        }
        transaction.Valider();
        return resultat;
    } catch (...) {
        // The row was not written: a later save must insert again, not update nothing.
        if (nouveau) Fid = -1;
        throw;
    }
}
