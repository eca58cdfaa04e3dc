// Times the history window's search on a large history against the engine itself.
//
//   parlivo-bench-historique [--lignes N] [--repetitions R] [--base FICHIER] [--seule 1-4]
//                            [--serveur SOCKET]
//
// Fills a temporary sms.abs (made from the real schema) with N history rows (1,000,000 by
// default), then for each of four searches times, R times each, in the same run:
//   - the window: btnRechercherClick, from the click to the filled list model;
//   - the engine: the same statement with the same parameters, prepared and stepped through
//     SQLite's C interface on a connection of its own, every column of every row read.
// (A search that takes little time is tried more often, for up to a second.)
// Prints one line per search with the best time of each, their ratio, the row count, the
// process's peak resident memory so far and, apart, the best time of the list's first
// paint after the search. With --base, the filled file is kept there
// and a later run on the same path reuses it instead of filling it again; --seule runs one
// search only (to profile it).
//
// With --serveur, the base is the MariaDB server listening on that local socket (root
// without a password, as on a private server): the base parlivo_bench_historique is made
// there from the server's schema and filled, or reused when it already holds N rows; the
// window reaches it through a connexion.ini, and the engine is MariaDB's own client
// library on a connection of its own: the statement with its parameters written in as
// literals, mysql_real_query, mysql_use_result and every column of every row fetched.
#include <mysql.h>
#include <sqlite3.h>

#include <QtGlobal>
#ifdef Q_OS_WIN
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "data/GreffonsMariadb.h"
#include "data/MoteurMariadb.h"
#include "data/PiloteMariadb.h"
#include "data/Requetehistorique.h"
#include "ui/Tfichehistorique.h"
#include "ui/Tmodelehistorique.h"

namespace {

[[noreturn]] void Echouer(sqlite3* base, const char* quoi) {
    throw std::runtime_error(std::string(quoi) + " : " + sqlite3_errmsg(base));
}

void Verifier(sqlite3* base, int code, const char* quoi) {
    if (code != SQLITE_OK && code != SQLITE_DONE && code != SQLITE_ROW) Echouer(base, quoi);
}

// ---------------------------------------------------------------------------------------
// The data: 20 agencies of 10 users each, three years of sends in time order, French
// names and messages, about 60 % sent, a third in error and the rest without an outcome.

const char* const Villes[] = {"Lyon",   "Paris",    "Marseille", "Toulouse",  "Nice",
                              "Nantes", "Bordeaux", "Lille",     "Rennes",    "Reims",
                              "Dijon",  "Grenoble", "Angers",    "Nîmes",     "Brest",
                              "Tours",  "Besançon", "Limoges",   "Perpignan", "Orléans"};
const char* const Prenoms[] = {"Jean",     "Marie",     "Pierre",   "Nathalie", "Michel",
                               "Isabelle", "Philippe",  "Sylvie",   "Alain",    "Catherine",
                               "Éric",     "Françoise", "Stéphane", "Hélène",   "Frédéric",
                               "Céline",   "Jérôme",    "Amélie",   "François", "Chloé"};
const char* const Noms[] = {
    "Martin",    "Bernard",  "Dubois",  "Thomas",   "Robert",   "Richard",  "Petit",   "Durand",
    "Leroy",     "Moreau",   "Simon",   "Laurent",  "Lefèbvre", "Michel",   "Garcia",  "David",
    "Bertrand",  "Roux",     "Vincent", "Fournier", "Morel",    "Girard",   "André",   "Lefèvre",
    "Mercier",   "Dupont",   "Lambert", "Bonnet",   "François", "Martinez", "Legrand", "Garnier",
    "Faure",     "Rousseau", "Blanc",   "Guérin",   "Muller",   "Henry",    "Roussel", "Nicolas",
    "Perrin",    "Morin",    "Mathieu", "Clément",  "Gauthier", "Dumont",   "Lopez",   "Fontaine",
    "Chevalier", "Robin"};
const char* const Civilites[] = {"M.", "Mme", "Mlle"};
const char* const Messages[] = {
    "Bonjour %1, votre dossier est complet. Nous vous attendons à l'agence pour la signature.",
    "Bonjour %1, votre rendez-vous est confirmé pour demain à 10h30. Cordialement, %2.",
    "Rappel : votre loyer du mois n'a pas encore été réglé. Merci de contacter l'agence %2.",
    "%1, les clés de votre nouveau logement sont disponibles à l'accueil de l'agence %2.",
    "Bonjour, l'état des lieux de sortie est prévu vendredi. Merci de prévoir 1 heure.",
    "Votre demande d'intervention a bien été prise en compte ; un technicien vous appellera.",
    "Bonne nouvelle %1 : votre candidature pour l'appartement a été acceptée !",
    "L'agence %2 sera fermée samedi. Pour toute urgence, appelez le 04 72 00 00 00.",
    "Bonjour %1, il manque une pièce justificative à votre dossier (avis d'imposition).",
    "Votre quittance de loyer est disponible dans votre espace client. Agence %2."};
const char* const Erreurs[] = {
    "Erreur : Aucun retour json est null",      "Erreur : pas de balise json resultat.",
    "Erreur : pas de balise json erreurs.",     "Erreur : Connection refused",
    "Erreur : Numéro de destinataire invalide", "Erreur : Crédit SMS insuffisant"};

QString Agence(int a) { return QStringLiteral("Agence ") + QString::fromUtf8(Villes[a]); }

QString Utilisateur(int a, int u) {
    // One user name per agency and rank, e.g. "jmartin3".
    const QString prenom = QString::fromUtf8(Prenoms[(a * 7 + u * 3) % 20]);
    const QString nom = QString::fromUtf8(Noms[(a * 11 + u * 5) % 50]);
    return (prenom.left(1) + nom).toLower() + QString::number(u);
}

// One generated row: the nine columns given, as UTF-8 (etat null for no outcome).
using TLigneGeneree = std::array<QByteArray, 9>;

// Gives the rows one by one, always the same for the same count.
void Generer(int nombre, const std::function<void(const TLigneGeneree&)>& ligne) {
    std::mt19937_64 hasard(20240610);
    // Three years of seconds, drawn then sorted: the table grows in time order.
    // Computed in UTC: only the texts matter, and local-time arithmetic costs a time-zone
    // lookup per call.
    const QDateTime debut(QDate(2022, 1, 1), QTime(0, 0), Qt::UTC);
    const qint64 duree = debut.secsTo(QDateTime(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC));
    std::vector<qint64> instants(static_cast<size_t>(nombre));
    for (auto& i : instants) i = static_cast<qint64>(hasard() % static_cast<quint64>(duree * 1000));
    std::sort(instants.begin(), instants.end());

    QStringList agences, utilisateurs;
    for (int a = 0; a < 20; ++a) agences << Agence(a);
    for (int a = 0; a < 20; ++a)
        for (int u = 0; u < 10; ++u) utilisateurs << Utilisateur(a, u);

    TLigneGeneree l;
    for (int n = 0; n < nombre; ++n) {
        const int a = static_cast<int>(hasard() % 20), u = static_cast<int>(hasard() % 10);
        const QDateTime creation = debut.addMSecs(instants[static_cast<size_t>(n)]);
        const QDateTime envoi = creation.addSecs(static_cast<qint64>(hasard() % (3 * 86400)));
        const QString client = QString::fromUtf8(Civilites[hasard() % 3]) + QLatin1Char(' ') +
                               QString::fromUtf8(Prenoms[hasard() % 20]) + QLatin1Char(' ') +
                               QString::fromUtf8(Noms[hasard() % 50]);
        const QString expediteur =
            hasard() % 2 ? QStringLiteral("AGENCE") : agences[a].mid(7).toUpper().left(11);
        QString numero = QStringLiteral("0") + QString::number(6 + hasard() % 2);
        for (int i = 0; i < 8; ++i) numero += QChar(u'0' + static_cast<int>(hasard() % 10));
        const QString message = QString::fromUtf8(Messages[hasard() % 10])
                                    .replace(QStringLiteral("%1"), client)
                                    .replace(QStringLiteral("%2"), agences[a]);
        l[0] = agences[a].toUtf8();
        l[1] = utilisateurs[a * 10 + u].toUtf8();
        l[2] = creation.toString(QLatin1String(FormatDateBase)).toUtf8();
        l[3] = expediteur.toUtf8();
        l[4] = client.toUtf8();
        l[5] = numero.toUtf8();
        l[6] = message.toUtf8();
        l[7] = envoi.toString(QLatin1String(FormatDateBase)).toUtf8();
        const int tirage = static_cast<int>(hasard() % 100);
        if (tirage < 60)
            l[8] = QByteArrayLiteral("Envoyé");
        else if (tirage < 93)
            l[8] = QByteArray(Erreurs[hasard() % 6]);
        else
            l[8] = QByteArray();
        ligne(l);
    }
}

const char* const Insertion =
    "INSERT INTO Historique (agence, utilisateur, date_creation, expediteur, destinataire, "
    "numero, message, date_envoi, etat) VALUES ";

void Remplir(const QString& chemin, int nombre) {
    sqlite3* base = nullptr;
    if (sqlite3_open_v2(chemin.toUtf8().constData(), &base, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        Echouer(base, "ouverture pour le remplissage");
    Verifier(base,
             sqlite3_exec(base, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", nullptr,
                          nullptr, nullptr),
             "réglages");
    Verifier(base, sqlite3_exec(base, "BEGIN", nullptr, nullptr, nullptr), "BEGIN");
    sqlite3_stmt* insertion = nullptr;
    const QByteArray texte = QByteArray(Insertion) + "(?, ?, ?, ?, ?, ?, ?, ?, ?)";
    Verifier(base, sqlite3_prepare_v2(base, texte.constData(), -1, &insertion, nullptr),
             "préparation de l'insertion");
    Generer(nombre, [&](const TLigneGeneree& l) {
        for (int c = 0; c < 9; ++c) {
            if (l[static_cast<size_t>(c)].isNull())
                sqlite3_bind_null(insertion, c + 1);
            else
                sqlite3_bind_text(insertion, c + 1, l[static_cast<size_t>(c)].constData(),
                                  static_cast<int>(l[static_cast<size_t>(c)].size()),
                                  SQLITE_TRANSIENT);
        }
        if (sqlite3_step(insertion) != SQLITE_DONE) Echouer(base, "insertion");
        sqlite3_reset(insertion);
    });
    sqlite3_finalize(insertion);
    Verifier(base, sqlite3_exec(base, "COMMIT; ANALYZE;", nullptr, nullptr, nullptr), "COMMIT");
    sqlite3_close(base);
}

// ---------------------------------------------------------------------------------------
// The server: a base of its own on it, filled with multi-row INSERTs.

const char* const BaseServeur = "parlivo_bench_historique";

[[noreturn]] void EchouerServeur(MYSQL* m, const char* quoi) {
    throw std::runtime_error(std::string(quoi) + " : " + mysql_error(m));
}

void ExecuterServeur(MYSQL* m, const QByteArray& sql, const char* quoi) {
    if (mysql_real_query(m, sql.constData(), static_cast<unsigned long>(sql.size())) != 0)
        EchouerServeur(m, quoi);
}

MYSQL* ConnecterServeur(const QString& socket, const char* base) {
    MYSQL* m = mysql_init(nullptr);
    if (!m) throw std::runtime_error("mysql_init");
    DefinirDossierGreffons(m);
    const QByteArray s = QFile::encodeName(socket);
    if (!mysql_real_connect(m, nullptr, "root", nullptr, base, 0, s.constData(), 0))
        EchouerServeur(m, "connexion au serveur");
    if (mysql_set_character_set(m, "utf8mb4") != 0) EchouerServeur(m, "jeu de caractères");
    return m;
}

// A text as a quoted literal for this connection.
QByteArray Litteral(MYSQL* m, const QByteArray& texte) {
    if (texte.isNull()) return QByteArrayLiteral("NULL");
    QByteArray echappe(texte.size() * 2 + 1, Qt::Uninitialized);
    const unsigned long n = mysql_real_escape_string(m, echappe.data(), texte.constData(),
                                                     static_cast<unsigned long>(texte.size()));
    echappe.truncate(static_cast<qsizetype>(n));
    return '\'' + echappe + '\'';
}

qint64 LignesServeur(MYSQL* m) {
    if (mysql_query(m, "SELECT COUNT(*) FROM Historique") != 0) return -1;
    MYSQL_RES* r = mysql_store_result(m);
    MYSQL_ROW row = r ? mysql_fetch_row(r) : nullptr;
    const qint64 n = row && row[0] ? QByteArray(row[0]).toLongLong() : -1;
    if (r) mysql_free_result(r);
    return n;
}

// Makes the base and its tables (from the server's schema, as parlivo-base creer does) and
// fills it, unless it already holds the same number of rows.
void PreparerServeur(const QString& socket, int nombre) {
    MYSQL* m = ConnecterServeur(socket, nullptr);
    // The whole table in the server's memory, as on a server sized for it: both readers
    // then read the same pages from memory, not whichever the other left in the cache.
    mysql_query(m, "SET GLOBAL innodb_buffer_pool_size = 1073741824");
    if (mysql_select_db(m, BaseServeur) == 0 && LignesServeur(m) == nombre) {
        std::printf("base reprise : %s sur le serveur\n", BaseServeur);
        mysql_close(m);
        return;
    }
    QElapsedTimer chrono;
    chrono.start();
    ExecuterServeur(m, QByteArray("DROP DATABASE IF EXISTS ") + BaseServeur, "DROP DATABASE");
    ExecuterServeur(m,
                    QByteArray("CREATE DATABASE ") + BaseServeur +
                        " CHARACTER SET utf8mb4 COLLATE utf8mb4_nopad_bin",
                    "CREATE DATABASE");
    {
        QSqlDatabase outils =
            QSqlDatabase::addDatabase(NomPiloteMariadb(), QStringLiteral("bench-outils"));
        outils.setDatabaseName(QLatin1String(BaseServeur));
        outils.setUserName(QStringLiteral("root"));
        outils.setConnectOptions(QStringLiteral("UNIX_SOCKET=%1").arg(socket));
        if (!outils.open())
            throw std::runtime_error("connexion Qt : " + outils.lastError().text().toStdString());
        CreerTablesServeur(outils);
        outils.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-outils"));
    if (mysql_select_db(m, BaseServeur) != 0) EchouerServeur(m, "choix de la base");
    ExecuterServeur(m, "SET autocommit = 0, unique_checks = 0", "réglages");
    QByteArray lot;
    int dansLot = 0;
    auto envoyer = [&] {
        ExecuterServeur(m, lot, "insertion");
        lot.clear();
        dansLot = 0;
    };
    Generer(nombre, [&](const TLigneGeneree& l) {
        lot += dansLot == 0 ? QByteArray(Insertion) : QByteArrayLiteral(",");
        lot += '(';
        for (size_t c = 0; c < l.size(); ++c) {
            if (c > 0) lot += ',';
            lot += Litteral(m, l[c]);
        }
        lot += ')';
        if (++dansLot == 2000) envoyer();
    });
    if (dansLot > 0) envoyer();
    ExecuterServeur(m, "COMMIT", "COMMIT");
    ExecuterServeur(m, "ANALYZE TABLE Historique", "ANALYZE");
    mysql_free_result(mysql_store_result(m));
    mysql_close(m);
    std::printf("%d lignes d'historique écrites sur le serveur en %.1f s\n", nombre,
                static_cast<double>(chrono.elapsed()) / 1000.0);
}

// ---------------------------------------------------------------------------------------
// The engine alone: the window's statement for the same criteria, on a connection of its own.

struct TResultatMoteur {
    qint64 lignes = 0;
    qint64 octets = 0;  // read so that no column is skipped
};

// A parameter's value as the window binds it: a date as its text in the base.
QByteArray ValeurParametre(const QVariant& valeur) {
    return valeur.metaType() == QMetaType::fromType<QDateTime>()
               ? valeur.toDateTime().toString(FormatDateBase).toUtf8()
               : valeur.toString().toUtf8();
}

TResultatMoteur MoteurSqlite(sqlite3* base, const TRequeteHistorique& instruction) {
    const QByteArray texte = instruction.lignes.join(QLatin1Char('\n')).toUtf8();
    sqlite3_stmt* requete = nullptr;
    Verifier(base, sqlite3_prepare_v2(base, texte.constData(), -1, &requete, nullptr),
             "préparation");
    for (const auto& [nom, valeur] : instruction.parametres) {
        const QByteArray marque = ":" + nom.toUtf8();
        const int position = sqlite3_bind_parameter_index(requete, marque.constData());
        const QByteArray v = ValeurParametre(valeur);
        sqlite3_bind_text(requete, position, v.constData(), static_cast<int>(v.size()),
                          SQLITE_TRANSIENT);
    }
    TResultatMoteur r;
    const int colonnes = sqlite3_column_count(requete);
    int code;
    while ((code = sqlite3_step(requete)) == SQLITE_ROW) {
        ++r.lignes;
        for (int c = 0; c < colonnes; ++c) {
            sqlite3_column_text(requete, c);
            r.octets += sqlite3_column_bytes(requete, c);
        }
    }
    if (code != SQLITE_DONE) Echouer(base, "lecture");
    sqlite3_finalize(requete);
    return r;
}

TResultatMoteur MoteurMariadb(MYSQL* m, const TRequeteHistorique& instruction) {
    QByteArray texte = instruction.lignes.join(QLatin1Char('\n')).toUtf8();
    for (const auto& [nom, valeur] : instruction.parametres) {
        // No parameter name is the start of another one.
        const QByteArray marque = ":" + nom.toUtf8();
        texte.replace(marque, Litteral(m, ValeurParametre(valeur)));
    }
    ExecuterServeur(m, texte, "requête");
    MYSQL_RES* resultat = mysql_use_result(m);
    if (!resultat) EchouerServeur(m, "résultat");
    TResultatMoteur r;
    const unsigned int colonnes = mysql_num_fields(resultat);
    while (MYSQL_ROW ligne = mysql_fetch_row(resultat)) {
        ++r.lignes;
        const unsigned long* longueurs = mysql_fetch_lengths(resultat);
        for (unsigned int c = 0; c < colonnes; ++c)
            if (ligne[c]) r.octets += static_cast<qint64>(longueurs[c]);
    }
    const bool erreur = mysql_errno(m) != 0;
    mysql_free_result(resultat);
    if (erreur) EchouerServeur(m, "lecture");
    return r;
}

// The process's peak resident memory, in megabytes.
long PicMemoireMo() {
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS compteurs{};
    compteurs.cb = sizeof compteurs;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &compteurs, sizeof compteurs)) return -1;
    return static_cast<long>(compteurs.PeakWorkingSetSize / (1024 * 1024));
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;  // kilobytes on Linux
#endif
}

// A search's name padded to a fixed width, counted in characters, not bytes.
QByteArray Colonne(const char* texte) {
    return QString::fromUtf8(texte).leftJustified(46).toUtf8();
}

struct TRecherche {
    const char* nom;
    TCriteresHistorique criteres;  // agency and user come from the parameter file
};

// Sets the window's criteria as a user would.
void Appliquer(TFicheHistorique& f, const TCriteresHistorique& c) {
    auto date = [](QCheckBox* coche, QDateEdit* picker, const std::optional<QDate>& jour) {
        coche->setChecked(jour.has_value());
        if (jour) picker->setDate(*jour);
    };
    date(f.cbDateCreationDebut, f.DateCreationDebut, c.creationDebut);
    date(f.cbDateCreationFin, f.DateCreationFin, c.creationFin);
    date(f.cbDateEnvoiDebut, f.DateEnvoiDebut, c.envoiDebut);
    date(f.cbDateEnvoiFin, f.DateEnvoiFin, c.envoiFin);
    f.edit_expediteur->setText(c.expediteur);
    f.edit_destinataire->setText(c.destinataire);
    f.ChoisirEtat(c.etat);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QApplication application(argc, argv);

    int nombre = 1000000, repetitions = 3;
    QString fichierGarde, socket;
    int seule = 0;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--lignes"))
            nombre = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--repetitions"))
            repetitions = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--seule"))
            seule = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--base"))
            fichierGarde = QFileInfo(arguments[i + 1]).absoluteFilePath();
        else if (arguments[i] == QLatin1String("--serveur"))
            socket = QFileInfo(arguments[i + 1]).absoluteFilePath();
        else
            nombre = 0;
    }
    if (nombre <= 0 || repetitions <= 0 || arguments.size() % 2 == 0 ||
        (!socket.isEmpty() && !fichierGarde.isEmpty())) {
        std::fprintf(stderr,
                     "usage : parlivo-bench-historique [--lignes N] [--repetitions R] "
                     "[--base FICHIER | --serveur SOCKET] [--seule 1-4]\n");
        return 2;
    }
    const bool serveur = !socket.isEmpty();

    try {
        QTemporaryDir temporaire;
        if (!temporaire.isValid()) throw std::runtime_error("dossier temporaire impossible");
        // The data module opens the "sms.abs" of a folder: a kept file is reached through a
        // link of that name in the temporary folder.
        const QString chemin = temporaire.filePath(QStringLiteral("sms.abs"));
        QElapsedTimer chrono;
        chrono.start();
        sqlite3* base = nullptr;
        MYSQL* client = nullptr;
        if (serveur) {
            PreparerServeur(socket, nombre);
            QFile ini(temporaire.filePath(QLatin1String(NomFichierConnexion)));
            if (!ini.open(QIODevice::WriteOnly))
                throw std::runtime_error("connexion.ini impossible");
            ini.write(QStringLiteral("[Serveur]\nSocket=%1\nBase=%2\nUtilisateur=root\n")
                          .arg(socket, QLatin1String(BaseServeur))
                          .toUtf8());
            ini.close();
            client = ConnecterServeur(socket, BaseServeur);
            std::printf("serveur MariaDB %s (client %s), meilleur temps d'au moins %d essais\n",
                        mysql_get_server_info(client), mysql_get_client_info(), repetitions);
        } else {
            if (!fichierGarde.isEmpty() && QFileInfo::exists(fichierGarde)) {
                std::printf("base reprise : %s\n", qPrintable(fichierGarde));
            } else {
                const QString cible = fichierGarde.isEmpty() ? chemin : fichierGarde;
                CreerBase(cible);
                Remplir(cible, nombre);
                std::printf("%d lignes d'historique écrites en %.1f s\n", nombre,
                            static_cast<double>(chrono.elapsed()) / 1000.0);
            }
            if (!fichierGarde.isEmpty() && !QFile::link(fichierGarde, chemin))
                throw std::runtime_error("lien vers la base gardée impossible");
            std::printf("base de %.0f Mo, meilleur temps d'au moins %d essais\n",
                        static_cast<double>(QFileInfo(chemin).size()) / 1048576.0, repetitions);
            if (sqlite3_open_v2(chemin.toUtf8().constData(), &base, SQLITE_OPEN_READONLY,
                                nullptr) != SQLITE_OK)
                Echouer(base, "ouverture");
        }
        std::fflush(stdout);

        TDataModuleAbs module(temporaire.path());
        DataModuleAbs = &module;
        module.OuvrirBase();

        const std::vector<TRecherche> recherches = {
            {"agence + utilisateur", {.agence = Agence(0), .utilisateur = Utilisateur(0, 3)}},
            {"agence + utilisateur + un mois de création",
             {.agence = Agence(0),
              .utilisateur = Utilisateur(0, 3),
              .creationDebut = QDate(2023, 3, 1),
              .creationFin = QDate(2023, 3, 31)}},
            {"destinataire LIKE, sans agence ni utilisateur",
             {.destinataire = QStringLiteral("Dupont")}},
            {"état \"Erreur\", sans agence ni utilisateur", {.etat = 3}},
        };

        std::printf("%s %12s %11s %7s %9s %9s %11s\n", Colonne("recherche").constData(), "fenêtre",
                    serveur ? "libmariadb" : "SQLite", "ratio", "lignes", "pic Mo", "affichage");
        for (size_t numero = 1; numero <= recherches.size(); ++numero) {
            if (seule > 0 && static_cast<size_t>(seule) != numero) continue;
            const TRecherche& r = recherches[numero - 1];
            const QString ini = temporaire.filePath(QStringLiteral("parametres.ini"));
            QFile f(ini);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw std::runtime_error("fichier de paramètres impossible");
            f.write("[Config]\nAgence=" + r.criteres.agence.toUtf8() +
                    "\nUtilisateur=" + r.criteres.utilisateur.toUtf8() + "\n");
            f.close();

            TFicheHistorique fenetre;
            fenetre.DefinirFichierParametres(ini);
            fenetre.show();
            // The first activation runs a search with the initial criteria: a warm-up.
            QApplication::processEvents();
            Appliquer(fenetre, r.criteres);
            // The statement of the criteria the window searches with, as it runs it.
            const TRequeteHistorique instruction = ConstruireRequeteHistorique(fenetre.Criteres());

            qint64 meilleurFenetre = -1, meilleurMoteur = -1, meilleurAffichage = -1;
            auto garder = [](qint64& meilleur, qint64 temps) {
                if (meilleur < 0 || temps < meilleur) meilleur = temps;
            };
            int lignesFenetre = 0;
            TResultatMoteur moteur;
            auto mesurerFenetre = [&] {
                chrono.restart();
                fenetre.btnRechercherClick();
                garder(meilleurFenetre, chrono.nsecsElapsed());
                lignesFenetre = fenetre.Modele()->rowCount();
                // The list's first paint, timed apart.
                chrono.restart();
                QApplication::processEvents();
                garder(meilleurAffichage, chrono.nsecsElapsed());
            };
            auto mesurerMoteur = [&] {
                chrono.restart();
                moteur =
                    serveur ? MoteurMariadb(client, instruction) : MoteurSqlite(base, instruction);
                garder(meilleurMoteur, chrono.nsecsElapsed());
            };
            // Each goes first in turn, so that neither always finds the other's pages in
            // the caches.
            // At least R tries each; a quick search is tried again for up to a second (at
            // most 200 times), so that its best time is not one disturbed by the machine.
            QElapsedTimer budget;
            budget.start();
            for (int essai = 0; essai < repetitions || (essai < 200 && budget.elapsed() < 1000);
                 ++essai) {
                if (essai % 2 == 0) {
                    mesurerFenetre();
                    mesurerMoteur();
                } else {
                    mesurerMoteur();
                    mesurerFenetre();
                }
            }
            if (moteur.lignes != lignesFenetre)
                throw std::runtime_error(
                    "la fenêtre et le moteur ne donnent pas le même nombre de lignes");
            const double msFenetre = static_cast<double>(meilleurFenetre) / 1e6;
            const double msMoteur = static_cast<double>(meilleurMoteur) / 1e6;
            std::printf("%s %9.2f ms %8.2f ms %6.2fx %9d %9ld %8.2f ms\n",
                        Colonne(r.nom).constData(), msFenetre, msMoteur, msFenetre / msMoteur,
                        lignesFenetre, PicMemoireMo(),
                        static_cast<double>(meilleurAffichage) / 1e6);
            std::fflush(stdout);
        }
        if (base) sqlite3_close(base);
        if (client) mysql_close(client);
        DataModuleAbs = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "échec : %s\n", e.what());
        return 1;
    }
    return 0;
}
