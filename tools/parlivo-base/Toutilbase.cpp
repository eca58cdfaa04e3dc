#include "Toutilbase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <optional>

#include "Tcopiebase.h"
#include "Tdemo.h"
#include "Toptionsoutil.h"
#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "data/Fonctions_bd.h"
#include "data/Tconfigurationapi.h"

namespace {

QString Texte(const char* s) { return QString::fromUtf8(s); }

// The service columns, in table order after id, with their option names.
const QStringList OptionsService = {"nom",         "url",      "cle",        "cle-api",
                                    "numero",      "message",  "expediteur", "date-envoi",
                                    "format-date", "statut-ok"};

QStringList Colonnes(const TConfigurationApi& s) {
    return {s.nom(),     s.url(),        s.cle(),        s.cle_api(),     s.numero(),
            s.message(), s.expediteur(), s.date_envoi(), s.format_date(), s.statut_ok()};
}

// The service of these column values, in the order of OptionsService.
TConfigurationApi ServiceDesColonnes(qint32 id, const QStringList& v) {
    return TConfigurationApi({.id = id,
                              .nom = v[0],
                              .url = v[1],
                              .cle = v[2],
                              .cle_api = v[3],
                              .numero = v[4],
                              .message = v[5],
                              .expediteur = v[6],
                              .date_envoi = v[7],
                              .format_date = v[8],
                              .statut_ok = v[9]});
}

void VerifierUrl(const QString& url) {
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid() ||
        (u.scheme() != QLatin1String("http") && u.scheme() != QLatin1String("https")) ||
        u.host().isEmpty())
        throw EErreurUsage(
            Texte("l'adresse « %1 » n'est pas une URL http:// ou https:// valide.").arg(url));
}

void VerifierNonVide(const QString& valeur, const QString& option) {
    if (valeur.trimmed().isEmpty())
        throw EErreurUsage(Texte("l'option --%1 ne peut pas être vide.").arg(option));
}

QList<TConfigurationApi> LireServices(TDataModuleAbs& module) {
    QList<TConfigurationApi> services;
    TCurseur& c = module.tblConfigurationApi;
    c.AnnulerPlage();
    for (c.Premier(); !c.Eof(); c.Suivant()) services.append(TConfigurationApi(c.Ligne()));
    return services;
}

void AfficherService(QTextStream& sortie, const TConfigurationApi& s) {
    sortie << Texte("Service %1 : %2\n").arg(s.id()).arg(s.nom());
    const QStringList noms = {"url",        "cle",        "cle_api",     "numero",   "message",
                              "expediteur", "date_envoi", "format_date", "statut_ok"};
    const QStringList valeurs = Colonnes(s).mid(1);
    for (qsizetype i = 0; i < noms.size(); ++i)
        sortie << "  " << noms.at(i).leftJustified(12) << ": " << valeurs.at(i) << '\n';
}

// --agence and --utilisateur give the level: both, the agency alone, or neither.
std::pair<QString, QString> Niveau(const TOptionsOutil& options) {
    const QString agence = options.Valeur("agence", QStringLiteral(""));
    const QString utilisateur = options.Valeur("utilisateur", QStringLiteral(""));
    if (agence.isEmpty() && !utilisateur.isEmpty())
        throw EErreurUsage(
            Texte("--utilisateur demande --agence : un paramètre vaut pour un "
                  "utilisateur d'une agence, pour toute une agence ou pour tous."));
    return {agence, utilisateur};
}

QString NomNiveau(const QString& agence, const QString& utilisateur) {
    if (agence.isEmpty()) return Texte("pour tous");
    if (utilisateur.isEmpty()) return Texte("pour l'agence « %1 »").arg(agence);
    return Texte("pour l'utilisateur « %1 » de l'agence « %2 »").arg(utilisateur, agence);
}

// Windows: where an installed copy keeps its base, and how a host starts the program (the
// path of this copy's parlivo.exe, beside this tool).
QString AideWindows() {
#ifdef Q_OS_WIN
    const QString programme = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() +
                                                       QStringLiteral("/parlivo.exe"));
    return Texte(
               "\n"
               "Sous Windows, une copie installée par le paquet MSI (le fichier installation.txt\n"
               "à côté de parlivo.exe) lit sa base dans %ProgramData%\\Parlivo\\sms.abs, sauf si\n"
               "son propre dossier contient un sms.abs ; connexion.ini reste à côté de\n"
               "parlivo.exe. Pour créer la base vide (invite de commandes d'administrateur) :\n"
               "  parlivo-base creer \"%ProgramData%\\Parlivo\\sms.abs\"\n"
               "L'application hôte lance le programme par son chemin complet, avec des\n"
               "guillemets doubles autour de chaque chemin (il peut contenir des espaces) :\n"
               "  \"%1\" \"C:\\Mes documents\\envoi SMS.ini\" ENVOI\n"
               "Avec ShellExecuteW : lpFile reçoit le chemin du programme sans guillemets,\n"
               "lpParameters « \"C:\\Mes documents\\envoi SMS.ini\" ENVOI ».\n")
        .arg(programme);
#else
    return QString();
#endif
}

}  // namespace

TBaseOuverte::TBaseOuverte(const QString& fichier) {
    const QFileInfo info(fichier);
    if (info.isDir())
        throw EErreurUsage(Texte("« %1 » est un dossier : donnez le chemin du fichier de base, "
                                 "par exemple %1/sms.abs.")
                               .arg(fichier));
    // The named file itself, or the server that a connection file (.ini) names.
    module = std::make_unique<TDataModuleAbs>(info.absolutePath(), info.fileName(), false);
    DataModuleAbs = module.get();
    module->OuvrirBase();
}

TBaseOuverte::~TBaseOuverte() {
    if (DataModuleAbs == module.get()) DataModuleAbs = nullptr;
}

QString TOutilBase::Aide() {
    return Texte(
               "parlivo-base : crée et administre la base sms.abs de Parlivo.\n"
               "\n"
               "Utilisation :\n"
               "  parlivo-base creer FICHIER\n"
               "      Crée une base neuve (cinq tables et leurs index). Ne remplace jamais un\n"
               "      fichier existant.\n"
               "  parlivo-base service lister FICHIER\n"
               "      Affiche les services d'envoi, par nom, avec toutes leurs colonnes.\n"
               "  parlivo-base service ajouter FICHIER --nom NOM --url URL --cle-api NOM\n"
               "          --numero NOM --message NOM [--cle CLE] [--expediteur NOM]\n"
               "          [--date-envoi NOM] [--format-date MOTIF] [--statut-ok TEXTE]\n"
               "      Ajoute un service et affiche son identifiant. --cle-api, --numero,\n"
               "      --message, --expediteur et --date-envoi sont les noms des paramètres de\n"
               "      la requête ; --format-date est le motif de la date d'envoi\n"
               "      (par exemple \"yyyy-mm-dd hh:nn:ss\").\n"
               "  parlivo-base service modifier FICHIER ID [--nom ...] [--url ...] [--cle ...]\n"
               "          [--cle-api ...] [--numero ...] [--message ...] [--expediteur ...]\n"
               "          [--date-envoi ...] [--format-date ...] [--statut-ok ...]\n"
               "      Change les colonnes données du service ID ; les autres restent telles\n"
               "      quelles.\n"
               "  parlivo-base parametre ecrire FICHIER SECTION CLE VALEUR\n"
               "          [--agence AGENCE [--utilisateur UTILISATEUR]]\n"
               "      Écrit un paramètre entier : pour un utilisateur d'une agence, pour toute\n"
               "      une agence (--agence seule) ou pour tous (ni l'une ni l'autre).\n"
               "      Exemples :\n"
               "        parlivo-base parametre ecrire sms.abs UTILISATION API 2 --agence AG01 "
               "--utilisateur martin\n"
               "        parlivo-base parametre ecrire sms.abs CONFIG BloquerCreation 1 --agence "
               "AG01\n"
               "        parlivo-base parametre ecrire sms.abs CONFIG BloquerCreation 0\n"
               "  parlivo-base parametre lire FICHIER SECTION CLE [--agence A [--utilisateur U]]\n"
               "      Affiche la valeur entière enregistrée à ce niveau.\n"
               "  parlivo-base parametre lister FICHIER\n"
               "      Affiche toutes les lignes de la table des paramètres.\n"
               "  parlivo-base demo DOSSIER [--url URL] [--garder]\n"
               "      Crée DOSSIER/sms.abs avec trois services d'envoi, des catégories, des\n"
               "      modèles et des paramètres de démonstration, et le fichier de paramètres\n"
               "      DOSSIER/parlivo-demo.ini (réécrit s'il existe). --url : adresse du service\n"
               "      d'envoi de démonstration (par défaut %1). Refuse une base existante ;\n"
               "      avec --garder, la laisse telle quelle sans rien écrire (réussite).\n"
               "  parlivo-base copier SOURCE DESTINATION\n"
               "      Copie toutes les lignes, identifiants compris, d'un fichier sms.abs vers\n"
               "      un serveur MariaDB (DESTINATION : son fichier de connexion .ini, base\n"
               "      vide) ou d'un serveur vers un nouveau fichier, puis compare les nombres\n"
               "      de lignes table par table.\n"
               "  parlivo-base droits CONNEXION.ini [--compte COMPTE]\n"
               "      Affiche les GRANT qui donnent au compte d'un poste (par défaut\n"
               "      l'utilisateur du fichier) SELECT, INSERT et UPDATE sur les cinq tables.\n"
               "  parlivo-base --help\n"
               "      Affiche cette aide.\n"
               "  parlivo-base --version\n"
               "      Affiche la version.\n"
               "\n"
               "FICHIER est le chemin de la base ; Parlivo lit sms.abs dans son propre dossier.\n"
               "Un FICHIER dont le nom finit par .ini est un fichier de connexion (section\n"
               "[Serveur] : Hote, Port, Base, Utilisateur, MotDePasse, Socket, AutoriteTLS) :\n"
               "la commande agit alors sur la base du serveur MariaDB qu'il désigne. Placé\n"
               "sous le nom connexion.ini à côté de Parlivo, il remplace sms.abs.\n"
               "Codes de sortie : 0 réussite, 1 échec de l'opération, 2 ligne de commande "
               "incorrecte.\n")
               .arg(QLatin1String(TDemo::UrlParDefaut)) +
           AideWindows();
}

int TOutilBase::Executer(const QStringList& arguments) {
    if (arguments.isEmpty())
        throw EErreurUsage(
            Texte("aucune commande. Commandes : creer, service, parametre, demo, "
                  "copier, droits."));
    const QString commande = arguments.first();
    const QStringList reste = arguments.mid(1);
    if (commande == QLatin1String("--help") || commande == QLatin1String("-h") ||
        commande == QLatin1String("aide")) {
        sortie << Aide();
        return 0;
    }
    if (commande == QLatin1String("--version")) {
        sortie << "parlivo-base " PARLIVO_VERSION_TEXTE "\n";
        return 0;
    }
    if (commande == QLatin1String("creer")) return Creer(reste);
    if (commande == QLatin1String("service")) return Service(reste);
    if (commande == QLatin1String("parametre")) return Parametre(reste);
    if (commande == QLatin1String("demo")) return Demo(reste);
    if (commande == QLatin1String("copier")) return Copier(reste);
    if (commande == QLatin1String("droits")) return Droits(reste);
    throw EErreurUsage(
        Texte("commande inconnue : « %1 ». Commandes : creer, service, parametre, demo, copier, "
              "droits.")
            .arg(commande));
}

int TOutilBase::Creer(const QStringList& mots) {
    TOptionsOutil options(mots, {});
    options.ExigerPositionnels({"FICHIER"});
    const QString fichier = options.Positionnels().at(0);
    if (TCopieBase::EstConnexion(fichier)) {
        TCopieBase::CreerSurServeur(fichier, sortie);
        return 0;
    }
    CreerBase(fichier);
    sortie << Texte("Base créée : %1\n").arg(QDir::toNativeSeparators(fichier));
    return 0;
}

int TOutilBase::Service(const QStringList& mots) {
    const QString action = mots.value(0);
    if (action == QLatin1String("lister")) return ServiceLister(mots.mid(1));
    if (action == QLatin1String("ajouter")) return ServiceAjouter(mots.mid(1));
    if (action == QLatin1String("modifier")) return ServiceModifier(mots.mid(1));
    throw EErreurUsage(Texte("« service » attend lister, ajouter ou modifier%1.")
                           .arg(action.isEmpty() ? QString() : Texte(", pas « %1 »").arg(action)));
}

int TOutilBase::ServiceLister(const QStringList& mots) {
    TOptionsOutil options(mots, {});
    options.ExigerPositionnels({"FICHIER"});
    TBaseOuverte base(options.Positionnels().at(0));
    const QList<TConfigurationApi> services = LireServices(base.Module());
    if (services.isEmpty()) sortie << Texte("Aucun service d'envoi.\n");
    for (const TConfigurationApi& s : services) AfficherService(sortie, s);
    return 0;
}

int TOutilBase::ServiceAjouter(const QStringList& mots) {
    TOptionsOutil options(mots, OptionsService);
    options.ExigerPositionnels({"FICHIER"});
    QStringList valeurs;
    for (const QString& nom : OptionsService) {
        const bool obligatoire = nom == QLatin1String("nom") || nom == QLatin1String("url") ||
                                 nom == QLatin1String("cle-api") ||
                                 nom == QLatin1String("numero") || nom == QLatin1String("message");
        valeurs << (obligatoire ? options.Obligatoire(nom)
                                : options.Valeur(nom, QStringLiteral("")));
        if (obligatoire) VerifierNonVide(valeurs.last(), nom);
    }
    VerifierUrl(valeurs.at(1));

    TBaseOuverte base(options.Positionnels().at(0));
    for (const TConfigurationApi& s : LireServices(base.Module()))
        if (s.nom() == valeurs.at(0))
            throw EErreurUsage(Texte("un service nommé « %1 » existe déjà (identifiant %2) ; "
                                     "Parlivo retrouve un service par son nom.")
                                   .arg(s.nom())
                                   .arg(s.id()));
    TConfigurationApi service = ServiceDesColonnes(-1, valeurs);
    if (!service.Sauvegarder()) throw EErreurBase("Erreur : le service n'a pas été enregistré.");
    sortie << Texte("Service ajouté : %1 (identifiant %2)\n").arg(service.nom()).arg(service.id());
    return 0;
}

int TOutilBase::ServiceModifier(const QStringList& mots) {
    TOptionsOutil options(mots, OptionsService);
    options.ExigerPositionnels({"FICHIER", "ID"});
    const qint32 id = EntierOuErreur(options.Positionnels().at(1), Texte("ID"));
    if (options.Vide())
        throw EErreurUsage(
            Texte("rien à modifier : donnez au moins une option, par exemple "
                  "--cle ou --url."));
    for (const QString& nom :
         {QStringLiteral("nom"), QStringLiteral("url"), QStringLiteral("cle-api"),
          QStringLiteral("numero"), QStringLiteral("message")})
        if (options.Contient(nom)) VerifierNonVide(options.Valeur(nom), nom);
    if (options.Contient("url")) VerifierUrl(options.Valeur("url"));

    TBaseOuverte base(options.Positionnels().at(0));
    const QList<TConfigurationApi> services = LireServices(base.Module());
    std::optional<TConfigurationApi> existant;
    for (const TConfigurationApi& s : services)
        if (s.id() == id && !existant) existant = s;
    if (!existant) throw EErreurUsage(Texte("aucun service d'identifiant %1.").arg(id));

    QStringList valeurs = Colonnes(*existant);
    for (qsizetype i = 0; i < OptionsService.size(); ++i)
        if (options.Contient(OptionsService.at(i)))
            valeurs[i] = options.Valeur(OptionsService.at(i));
    for (const TConfigurationApi& s : services)
        if (s.id() != id && s.nom() == valeurs.at(0))
            throw EErreurUsage(Texte("un autre service s'appelle déjà « %1 » (identifiant %2).")
                                   .arg(s.nom())
                                   .arg(s.id()));
    TConfigurationApi service = ServiceDesColonnes(id, valeurs);
    if (!service.Sauvegarder())
        throw EErreurBase(
            Texte("Erreur : le service %1 n'a pas été modifié (plusieurs lignes ou aucune "
                  "portent cet identifiant).")
                .arg(id));
    sortie << Texte("Service modifié :\n");
    AfficherService(sortie, service);
    return 0;
}

int TOutilBase::Parametre(const QStringList& mots) {
    const QString action = mots.value(0);
    if (action == QLatin1String("ecrire")) return ParametreEcrire(mots.mid(1));
    if (action == QLatin1String("lire")) return ParametreLire(mots.mid(1));
    if (action == QLatin1String("lister")) return ParametreLister(mots.mid(1));
    throw EErreurUsage(Texte("« parametre » attend ecrire, lire ou lister%1.")
                           .arg(action.isEmpty() ? QString() : Texte(", pas « %1 »").arg(action)));
}

int TOutilBase::ParametreEcrire(const QStringList& mots) {
    TOptionsOutil options(mots, {"agence", "utilisateur"});
    options.ExigerPositionnels({"FICHIER", "SECTION", "CLE", "VALEUR"});
    const QStringList& p = options.Positionnels();
    VerifierNonVide(p.at(1), Texte("SECTION").toLower());
    VerifierNonVide(p.at(2), Texte("CLE").toLower());
    const qint32 valeur = EntierOuErreur(p.at(3), Texte("VALEUR"));
    const auto [agence, utilisateur] = Niveau(options);

    TBaseOuverte base(p.at(0));
    TCurseur& table = base.Module().tblParametres;
    if (!EcrireParametreEntier(table, agence, utilisateur, p.at(1), p.at(2), valeur))
        throw EErreurBase(Texte("Erreur : plusieurs lignes portent déjà le paramètre %1/%2 %3 ; "
                                "elles ont toutes été modifiées, mais Parlivo ne lira que "
                                "l'une d'elles une fois les doublons supprimés.")
                              .arg(p.at(1), p.at(2), NomNiveau(agence, utilisateur)));
    sortie << Texte("Paramètre %1/%2 = %3 %4\n")
                  .arg(p.at(1), p.at(2))
                  .arg(valeur)
                  .arg(NomNiveau(agence, utilisateur));
    return 0;
}

int TOutilBase::ParametreLire(const QStringList& mots) {
    TOptionsOutil options(mots, {"agence", "utilisateur"});
    options.ExigerPositionnels({"FICHIER", "SECTION", "CLE"});
    const QStringList& p = options.Positionnels();
    const auto [agence, utilisateur] = Niveau(options);
    TBaseOuverte base(p.at(0));
    TCurseur& table = base.Module().tblParametres;
    if (!ExisteParametreEntier(table, agence, utilisateur, p.at(1), p.at(2))) {
        sortie << Texte("Aucune valeur entière unique pour %1/%2 %3.\n")
                      .arg(p.at(1), p.at(2), NomNiveau(agence, utilisateur));
        return 1;
    }
    sortie << LireParametreEntier(table, agence, utilisateur, p.at(1), p.at(2), 0) << '\n';
    return 0;
}

int TOutilBase::ParametreLister(const QStringList& mots) {
    TOptionsOutil options(mots, {});
    options.ExigerPositionnels({"FICHIER"});
    TBaseOuverte base(options.Positionnels().at(0));
    auto requete = base.Module().CreerRequete();
    requete->SQL << "SELECT agence, utilisateur, section, cle, valeur_type, valeur_int, "
                    "valeur_string"
                 << " FROM Parametres ORDER BY section, cle, agence, utilisateur";
    int n = 0;
    for (requete->Ouvrir(); !requete->Eof(); requete->Suivant()) {
        const QString type = requete->Champ("valeur_type").toString();
        const QVariant valeur =
            type == TypeInteger ? requete->Champ("valeur_int") : requete->Champ("valeur_string");
        sortie << Texte("%1/%2 %3 : %4 (%5)\n")
                      .arg(requete->Champ("section").toString(), requete->Champ("cle").toString(),
                           NomNiveau(requete->Champ("agence").toString(),
                                     requete->Champ("utilisateur").toString()),
                           valeur.toString(), type);
        ++n;
    }
    if (n == 0) sortie << Texte("Aucun paramètre.\n");
    return 0;
}

int TOutilBase::Copier(const QStringList& mots) {
    TOptionsOutil options(mots, {});
    options.ExigerPositionnels({"SOURCE", "DESTINATION"});
    TCopieBase::Copier(options.Positionnels().at(0), options.Positionnels().at(1), sortie);
    return 0;
}

int TOutilBase::Droits(const QStringList& mots) {
    TOptionsOutil options(mots, {"compte"});
    options.ExigerPositionnels({"CONNEXION"});
    if (!TCopieBase::EstConnexion(options.Positionnels().at(0)))
        throw EErreurUsage(Texte("droits attend le fichier de connexion au serveur (.ini)."));
    TCopieBase::Droits(options.Positionnels().at(0), options.Valeur("compte"), sortie);
    return 0;
}

int TOutilBase::Demo(const QStringList& mots) {
    TOptionsOutil options(mots, {"url"}, {"garder"});
    options.ExigerPositionnels({"DOSSIER"});
    const QString url = options.Valeur("url", QLatin1String(TDemo::UrlParDefaut));
    VerifierUrl(url);
    TDemo::Creer(options.Positionnels().at(0), url, sortie, options.Contient("garder"));
    return 0;
}
