#include "data/MoteurMariadb.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QVariant>
#include <memory>

#include "data/Connexionbase.h"
#include "data/EErreurBase.h"
#include "data/PiloteMariadb.h"
#include "platform/TIniFile.h"

namespace {

const QString SectionServeur = QStringLiteral("Serveur");

// What each open connection was opened with, to open it again after a loss; and which
// connections are inside a transaction. One thread uses them, the user interface's.
QHash<QString, TServeurMariadb>& Serveurs() {
    static QHash<QString, TServeurMariadb> serveurs;
    return serveurs;
}
QSet<QString>& EnTransaction() {
    static QSet<QString> connexions;
    return connexions;
}
// Connections the server dropped and that could not be opened again, with the loss's
// text: closed, and tried again at the next operation (the server may be back).
QHash<QString, QString>& Perdues() {
    static QHash<QString, QString> connexions;
    return connexions;
}
// Connections that no node of their list took back: another attempt at once would only
// wait for the same nodes again.
QSet<QString>& Injoignables() {
    static QSet<QString> connexions;
    return connexions;
}

// A node that answers, but out of the cluster's primary part or still joining it: it takes
// no statement that reads or writes the tables (1047), nor a commit.
QString PhraseNoeudNonPret(const QString& designation) {
    return QStringLiteral(
               "le nœud %1 de la grappe n'est pas prêt à servir : il est séparé de "
               "la partie principale de la grappe, ou la rejoint encore")
        .arg(designation);
}

MYSQL* PoigneeMariadb(const QSqlDatabase& base) {
    const auto* pilote = qobject_cast<const TPiloteMariadb*>(base.driver());
    return pilote && base.isOpen() ? pilote->Poignee() : nullptr;
}

// Exact comparisons and code-point order, as in sms.abs; the two columns that the history
// search reads with LIKE ignore letter case and keep accents.
const char* const CollationExacte = "utf8mb4_nopad_bin";
const char* const CollationRecherche = "utf8mb4_uca1400_nopad_as_ci";

QString CollationAttendue(const QString& table, const QString& colonne) {
    if (table == QLatin1String("Historique") &&
        (colonne == QLatin1String("expediteur") || colonne == QLatin1String("destinataire")))
        return QLatin1String(CollationRecherche);
    return QLatin1String(CollationExacte);
}

[[noreturn]] void ErreurIni(const QString& fichier, const QString& detail) {
    throw EErreurBase(QStringLiteral("Erreur : le fichier de connexion « %1 » %2")
                          .arg(QDir::toNativeSeparators(fichier), detail));
}

QString Requise(const TIniFile& ini, const QString& fichier, const QString& cle) {
    const QString valeur = ini.ReadString(SectionServeur, cle, QString()).trimmed();
    if (valeur.isEmpty())
        ErreurIni(fichier, QStringLiteral("n'indique pas la clé « %1 » dans la section [%2].")
                               .arg(cle, SectionServeur));
    return valeur;
}

// The server's error after `debut`, with its kind (the connection may be one no data
// module made: the tools').
EErreurBase ErreurServeur(const QSqlError& erreur, const QString& debut) {
    const int code = erreur.nativeErrorCode().toInt();
    return EErreurBase(debut + TexteMoteur(erreur), GenreErreurMariadb(code, erreur.text()), code);
}

QSqlQuery Executer(const QSqlDatabase& base, const QString& texte, const QString& quoi) {
    QSqlQuery q(base);
    q.setForwardOnly(true);
    if (!q.exec(texte))
        throw ErreurServeur(q.lastError(), QStringLiteral("Erreur : %1 : ").arg(quoi));
    return q;
}

void VerifierStructure(const QSqlDatabase& base, const TServeurMariadb& s) {
    const QString entete =
        QStringLiteral("Erreur : la base « %1 » du serveur %2 n'a pas la structure attendue : ")
            .arg(s.base, s.Designation());
    QSqlQuery tables =
        Executer(base,
                 QStringLiteral("SELECT TABLE_NAME, ENGINE FROM information_schema.TABLES WHERE "
                                "TABLE_SCHEMA = DATABASE() AND TABLE_NAME IN ('Categorie', "
                                "'ConfigurationApi', 'Historique', 'Parametres', 'Template')"),
                 QStringLiteral("lecture de la structure de la base impossible"));
    bool parametres = false;
    while (tables.next()) {
        parametres = parametres || tables.value(0).toString() == QLatin1String("Parametres");
        if (tables.value(1).toString() != QLatin1String("InnoDB"))
            throw EErreurBase(entete +
                              QStringLiteral("la table « %1 » est en %2 au lieu d'InnoDB.")
                                  .arg(tables.value(0).toString(), tables.value(1).toString()));
    }
    QSqlQuery colonnes =
        Executer(base,
                 QStringLiteral("SELECT TABLE_NAME, COLUMN_NAME, COLLATION_NAME, EXTRA FROM "
                                "information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() AND "
                                "TABLE_NAME IN ('Categorie', 'ConfigurationApi', 'Historique', "
                                "'Parametres', 'Template')"),
                 QStringLiteral("lecture de la structure de la base impossible"));
    while (colonnes.next()) {
        const QString table = colonnes.value(0).toString(), colonne = colonnes.value(1).toString();
        // The ids the server gives (the settings have none).
        if (colonne == QLatin1String(table == QLatin1String("Categorie")  ? "id_categorie"
                                     : table == QLatin1String("Template") ? "id_template"
                                                                          : "id") &&
            !colonnes.value(3).toString().contains(QLatin1String("auto_increment")))
            throw EErreurBase(entete + QStringLiteral("la colonne « %1.%2 » n'est pas "
                                                      "AUTO_INCREMENT.")
                                           .arg(table, colonne));
        if (colonnes.value(2).isNull()) continue;  // numbers and bytes
        const QString attendue = CollationAttendue(table, colonne);
        if (colonnes.value(2).toString() != attendue)
            throw EErreurBase(entete +
                              QStringLiteral("la colonne « %1.%2 » a la collation « %3 » "
                                             "au lieu de « %4 ».")
                                  .arg(table, colonne, colonnes.value(2).toString(), attendue));
    }
    // A base created before settings had their primary key may hold twins; it is mended
    // by hand (parlivo-base(1) gives the statement), never silently here.
    if (!parametres) return;  // a base still empty: creer makes its tables
    QSqlQuery cle =
        Executer(base,
                 QStringLiteral("SELECT GROUP_CONCAT(COLUMN_NAME ORDER BY SEQ_IN_INDEX) "
                                "FROM information_schema.STATISTICS WHERE TABLE_SCHEMA "
                                "= DATABASE() AND TABLE_NAME = 'Parametres' AND "
                                "INDEX_NAME = 'PRIMARY'"),
                 QStringLiteral("lecture de la structure de la base impossible"));
    if (!cle.next() || cle.value(0).toString() != QLatin1String("agence,utilisateur,section,cle"))
        throw EErreurBase(entete + QStringLiteral("la table « Parametres » n'a pas de clé primaire "
                                                  "sur (agence, utilisateur, section, cle)."));
}

}  // namespace

QString TServeurMariadb::Designation() const {
#ifdef Q_OS_WIN
    if (!socket.isEmpty()) return QStringLiteral("« %1 » (canal nommé local)").arg(socket);
#else
    if (!socket.isEmpty()) return QStringLiteral("« %1 » (socket local)").arg(socket);
#endif
    const TNoeudMariadb& n = noeuds.at(courant);
    return QStringLiteral("« %1:%2 »").arg(n.hote).arg(n.port);
}

namespace {

// A port number of connexion.ini, or 0.
int LirePort(const QString& texte) {
    bool ok = false;
    const int port = texte.toInt(&ok);
    return ok && port >= 1 && port <= 65535 ? port : 0;
}

// `Hote`: entries "hôte" or "hôte:port" (an IPv6 address in brackets before its port)
// separated by commas; `Port` is the port of the entries that give none.
QList<TNoeudMariadb> LireNoeuds(const QString& fichier, const QString& hotes, int port) {
    QList<TNoeudMariadb> noeuds;
    for (const QString& brute : hotes.split(QLatin1Char(','))) {
        const QString entree = brute.trimmed();
        TNoeudMariadb n{entree, port};
        const qsizetype deuxPoints = entree.lastIndexOf(QLatin1Char(':'));
        const bool crochets = entree.startsWith(QLatin1Char('['));
        if (deuxPoints > 0 && (crochets ? entree.at(deuxPoints - 1) == QLatin1Char(']')
                                        : entree.indexOf(QLatin1Char(':')) == deuxPoints)) {
            n.hote = entree.left(deuxPoints);
            n.port = LirePort(entree.mid(deuxPoints + 1));
        }
        if (crochets && n.hote.endsWith(QLatin1Char(']'))) n.hote = n.hote.mid(1).chopped(1);
        if (n.hote.isEmpty() || n.port == 0)
            ErreurIni(fichier, QStringLiteral("donne à la clé « Hote » l'entrée « %1 », qui n'est "
                                              "pas un hôte suivi ou non de « :port » (1 à 65535).")
                                   .arg(entree));
        noeuds << n;
    }
    return noeuds;
}

}  // namespace

TServeurMariadb LireConnexionIni(const QString& chemin) {
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly))
        ErreurIni(chemin, QStringLiteral("ne peut pas être lu : %1").arg(fichier.errorString()));
    fichier.close();
    const TIniFile ini(chemin);
    TServeurMariadb s;
    s.fichier = chemin;
    s.socket = ini.ReadString(SectionServeur, QStringLiteral("Socket"), QString()).trimmed();
    const QString port =
        ini.ReadString(SectionServeur, QStringLiteral("Port"), QString()).trimmed();
    int parDefaut = 3306;
    if (!port.isEmpty() && (parDefaut = LirePort(port)) == 0)
        ErreurIni(chemin, QStringLiteral("donne à la clé « Port » la valeur « %1 », qui n'est "
                                         "pas un numéro de port (1 à 65535).")
                              .arg(port));
    s.noeuds = s.socket.isEmpty()
                   ? LireNoeuds(chemin, Requise(ini, chemin, QStringLiteral("Hote")), parDefaut)
                   : QList<TNoeudMariadb>{{QString(), parDefaut}};
    s.base = Requise(ini, chemin, QStringLiteral("Base"));
    s.utilisateur = Requise(ini, chemin, QStringLiteral("Utilisateur"));
    s.motDePasse = ini.ReadString(SectionServeur, QStringLiteral("MotDePasse"), QString());
    s.autoriteTls =
        ini.ReadString(SectionServeur, QStringLiteral("AutoriteTLS"), QString()).trimmed();
    if (!s.autoriteTls.isEmpty()) {
        // A relative path is taken from the folder of connexion.ini.
        s.autoriteTls = QFileInfo(chemin).dir().absoluteFilePath(s.autoriteTls);
        if (!QFileInfo(s.autoriteTls).isReadable())
            ErreurIni(chemin, QStringLiteral("donne à la clé « AutoriteTLS » le fichier « %1 », "
                                             "qui ne peut pas être lu.")
                                  .arg(QDir::toNativeSeparators(s.autoriteTls)));
    }
    return s;
}

namespace {

// A cluster node (wsrep_on) serves only from the cluster's primary part, once it has caught
// up with it. Its reads then wait for what the cluster committed before them
// (wsrep_sync_wait), so that a row saved through one node, or a write's outcome, is read
// back the same through another.
void PreparerNoeudGrappe(const QSqlDatabase& base, const TServeurMariadb& s) {
    const QString quoi = QStringLiteral("lecture de l'état de la grappe impossible");
    QSqlQuery grappe = Executer(base, QStringLiteral("SHOW VARIABLES LIKE 'wsrep_on'"), quoi);
    if (!grappe.next() || grappe.value(1).toString() != QLatin1String("ON")) return;
    QSqlQuery q = Executer(base,
                           QStringLiteral("SHOW STATUS WHERE Variable_name IN ('wsrep_ready', "
                                          "'wsrep_cluster_status')"),
                           quoi);
    QHash<QString, QString> etat;
    while (q.next()) etat.insert(q.value(0).toString(), q.value(1).toString());
    if (etat.value(QStringLiteral("wsrep_ready")) != QLatin1String("ON") ||
        etat.value(QStringLiteral("wsrep_cluster_status")) != QLatin1String("Primary"))
        throw EErreurBase(
            QStringLiteral("Erreur : %1 (wsrep_ready %2, wsrep_cluster_status %3).")
                .arg(PhraseNoeudNonPret(s.Designation()), etat.value(QStringLiteral("wsrep_ready")),
                     etat.value(QStringLiteral("wsrep_cluster_status"))),
            TGenreErreur::NoeudNonPret, ER_UNKNOWN_COM_ERROR);
    Executer(base, QStringLiteral("SET SESSION wsrep_sync_wait = 1"),
             QStringLiteral("réglage de la session impossible"));
}

void OuvrirNoeud(QSqlDatabase& base, const TServeurMariadb& s) {
    base.setHostName(s.noeuds.at(s.courant).hote);
    base.setPort(s.noeuds.at(s.courant).port);
    base.setDatabaseName(s.base);
    base.setUserName(s.utilisateur);
    base.setPassword(s.motDePasse);
    // CLIENT_FOUND_ROWS: an UPDATE counts the rows it matched, as SQLite does, not only
    // those whose values changed (saving an unchanged record is still a success).
    // SSL_CA: the driver verifies the chain and the server's name on this connection itself,
    // the one that carries the session, and on every reconnection.
    QStringList options{QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1").arg(DelaiConnexionServeurS),
                        QStringLiteral("MYSQL_OPT_READ_TIMEOUT=%1").arg(DelaiReponseServeurS),
                        QStringLiteral("MYSQL_OPT_WRITE_TIMEOUT=%1").arg(DelaiReponseServeurS),
                        QStringLiteral("CLIENT_FOUND_ROWS=1")};
    if (!s.socket.isEmpty()) options << QStringLiteral("UNIX_SOCKET=%1").arg(s.socket);
    if (!s.autoriteTls.isEmpty()) options << QStringLiteral("SSL_CA=%1").arg(s.autoriteTls);
    base.setConnectOptions(options.join(QLatin1Char(';')));
    if (!base.open()) {
        const QSqlError erreur = base.lastError();
        base.close();
        const int code = erreur.nativeErrorCode().toInt();
        if (code == CR_PLUGIN_NOT_ALLOWED || code == CR_AUTH_PLUGIN_CANNOT_LOAD)
            throw EErreurBase(
                QStringLiteral("Erreur : le serveur %1 demande une méthode d'authentification "
                               "que ce poste refuse, car elle pourrait laisser passer le mot de "
                               "passe en clair ; la connexion n'est pas établie : %2")
                    .arg(s.Designation(), TexteMoteur(erreur)));
        if (!s.autoriteTls.isEmpty() && code == CR_SSL_CONNECTION_ERROR)
            throw EErreurBase(
                QStringLiteral("Erreur : la connexion chiffrée (TLS) au serveur %1 "
                               "n'a pas pu être établie ni son certificat vérifié : %2")
                    .arg(s.Designation(), TexteMoteur(erreur)));
        QString cause;
        if (code == ER_ACCESS_DENIED_ERROR)
            cause = QStringLiteral("refuse l'utilisateur « %1 » (mot de passe ou droits)")
                        .arg(s.utilisateur);
        else if (code == ER_DBACCESS_DENIED_ERROR || code == ER_BAD_DB_ERROR)
            cause = QStringLiteral("ne donne pas accès à la base « %1 »").arg(s.base);
        else
            cause = QStringLiteral("ne répond pas ou refuse la connexion");
        throw EErreurBase(QStringLiteral("Erreur : le serveur de base de données %1 %2 : %3")
                              .arg(s.Designation(), cause, TexteMoteur(erreur)));
    }
    try {
        // ANSI_QUOTES: the cursors quote names with double quotes, as SQLite reads them.
        // Strict: a text too long for its column is an error, never cut silently.
        // Both waits bounded: a row another workstation holds (innodb_lock_wait_timeout)
        // and a table it locked as a whole (lock_wait_timeout, a day by default, which
        // would freeze the window).
        Executer(base,
                 QStringLiteral("SET SESSION sql_mode = 'ANSI_QUOTES,STRICT_ALL_TABLES,"
                                "NO_ENGINE_SUBSTITUTION', innodb_lock_wait_timeout = %1, "
                                "lock_wait_timeout = %1")
                     .arg(DelaiVerrouServeurS),
                 QStringLiteral("réglage de la session impossible"));
        // The locking reads rely on next-key locks, which this level keeps.
        Executer(base, QStringLiteral("SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ"),
                 QStringLiteral("réglage de la session impossible"));
        if (!s.autoriteTls.isEmpty()) {
            QSqlQuery q = Executer(base, QStringLiteral("SHOW SESSION STATUS LIKE 'Ssl_cipher'"),
                                   QStringLiteral("lecture de l'état TLS impossible"));
            if (!q.next() || q.value(1).toString().isEmpty())
                throw EErreurBase(QStringLiteral("Erreur : la connexion au serveur %1 n'est pas "
                                                 "chiffrée alors que TLS est demandé.")
                                      .arg(s.Designation()));
        }
        PreparerNoeudGrappe(base, s);
        VerifierStructure(base, s);
    } catch (...) {
        base.close();
        throw;
    }
}

}  // namespace

void OuvrirMariadb(QSqlDatabase& base, const TServeurMariadb& serveur) {
    TServeurMariadb s = serveur;
    const qsizetype nombre = s.noeuds.size();
    QStringList echecs;
    for (qsizetype k = 0; k < nombre; ++k) {
        s.courant = (serveur.courant + k) % nombre;
        try {
            OuvrirNoeud(base, s);
            Serveurs().insert(base.connectionName(), s);
            OublierConnexionMariadb(base);
            return;
        } catch (const EErreurBase& e) {
            if (nombre == 1) throw;
            echecs << QString::fromUtf8(e.what());
            if (k + 1 == nombre)
                throw EErreurBase(QStringLiteral("Erreur : aucun des %1 nœuds de la grappe n'a "
                                                 "pu servir :\n- %2")
                                      .arg(nombre)
                                      .arg(echecs.join(QStringLiteral("\n- "))),
                                  e.Genre(), e.Code());
        }
    }
}

bool EstMariadb(const QSqlDatabase& base) {
    return base.isValid() && base.driverName() == NomPiloteMariadb();
}

void RetablirConnexionMariadb(const QSqlDatabase& base) {
    if (!EstMariadb(base)) return;
    QString perte = Perdues().value(base.connectionName());
    if (perte.isEmpty()) {
        MYSQL* poignee = PoigneeMariadb(base);
        if (!poignee) return;
        // The state the server gave with its last answer.
        unsigned int etat = 0;
        if (!EnTransaction().contains(base.connectionName()) &&
            mariadb_get_infov(poignee, MARIADB_CONNECTION_SERVER_STATUS, &etat) == 0 &&
            (etat & SERVER_STATUS_IN_TRANS) != 0)
            perte = QStringLiteral("transaction ouverte en dehors du programme");
        else if (mysql_ping(poignee) == 0)
            return;
        else {
            const int code = static_cast<int>(mysql_errno(poignee));
            perte = QString::fromUtf8(mysql_error(poignee));
            // A cluster node that aborted the transaction under the program says so at the
            // next command, even a ping: the server has rolled it back and the connection
            // is sound; the operation that relied on it is run again.
            if (GenreErreurMariadb(code) == TGenreErreur::Occupee && mysql_ping(poignee) == 0) {
                if (EnTransaction().remove(base.connectionName()))
                    throw EErreurBase(QStringLiteral("Erreur : la transaction a été annulée par "
                                                     "le serveur : %1")
                                          .arg(perte),
                                      TGenreErreur::Occupee, code);
                return;
            }
        }
    }
    const auto serveur = Serveurs().constFind(base.connectionName());
    if (serveur == Serveurs().constEnd()) return;
    TServeurMariadb s = *serveur;
    // The node that was lost, or not ready, is tried last.
    const QString perdu = s.Designation();
    s.courant = (s.courant + 1) % s.noeuds.size();
    const bool enTransaction = EnTransaction().remove(base.connectionName());
    QSqlDatabase copie = base;
    copie.close();
    try {
        OuvrirMariadb(copie, s);
    } catch (const EErreurBase& e) {
        Perdues().insert(base.connectionName(), perte);
        Injoignables().insert(base.connectionName());
        throw EErreurBase(QStringLiteral("Erreur : la connexion au serveur %1 a été perdue (%2) "
                                         "et n'a pas pu être rétablie : %3")
                              .arg(perdu, perte, QString::fromUtf8(e.what())),
                          TGenreErreur::ConnexionPerdue, e.Code());
    }
    if (enTransaction)
        throw EErreurBase(QStringLiteral("Erreur : la connexion au serveur %1 a été perdue pendant "
                                         "l'opération ; rien n'a été enregistré : %2")
                              .arg(perdu, perte),
                          TGenreErreur::ConnexionPerdue);
}

void OublierConnexionMariadb(const QSqlDatabase& base) {
    Perdues().remove(base.connectionName());
    Injoignables().remove(base.connectionName());
    EnTransaction().remove(base.connectionName());
}

namespace {

// A parameter's value as an SQL literal: NULL, a number, or a text quoted and escaped for
// the connection's character set and its server's escaping rules.
QByteArray LitteralMariadb(MYSQL* m, const QVariant& valeur) {
    if (valeur.isNull()) return QByteArrayLiteral("NULL");
    switch (valeur.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return valeur.toString().toLatin1();
        default:
            break;
    }
    const QByteArray texte = valeur.toString().toUtf8();
    QByteArray litteral(texte.size() * 2 + 3, Qt::Uninitialized);
    litteral[0] = '\'';
    const unsigned long taille = mysql_real_escape_string(m, litteral.data() + 1, texte.constData(),
                                                          static_cast<unsigned long>(texte.size()));
    litteral[static_cast<qsizetype>(taille) + 1] = '\'';
    litteral.truncate(static_cast<qsizetype>(taille) + 2);
    return litteral;
}

bool CaractereDeNom(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The statement with each ":Nom" outside quoted text replaced by its value's literal.
QByteArray InstructionAvecValeurs(MYSQL* m, const QString& texte,
                                  const std::vector<std::pair<QString, QVariant>>& parametres) {
    const QByteArray source = texte.toUtf8();
    QByteArray sortie;
    sortie.reserve(source.size() + 64);
    char guillemet = 0;
    for (qsizetype i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (guillemet != 0) {
            sortie += c;
            if (c == '\\' && guillemet != '`' && i + 1 < source.size())
                sortie += source[++i];
            else if (c == guillemet)
                guillemet = 0;
        } else if (c == '\'' || c == '"' || c == '`') {
            guillemet = c;
            sortie += c;
        } else if (c == ':' && i + 1 < source.size() && CaractereDeNom(source[i + 1]) &&
                   (i == 0 || source[i - 1] != ':')) {
            qsizetype fin = i + 1;
            while (fin < source.size() && CaractereDeNom(source[fin])) ++fin;
            const QString nom = QString::fromLatin1(source.mid(i + 1, fin - i - 1));
            QVariant valeur;
            for (const auto& [n, v] : parametres)
                if (n == nom) valeur = v;
            sortie += LitteralMariadb(m, valeur);
            i = fin - 1;
        } else {
            sortie += c;
        }
    }
    return sortie;
}

}  // namespace

bool ParcourirBrutMariadb(const QSqlDatabase& base, const QString& texte,
                          const std::vector<std::pair<QString, QVariant>>& parametres,
                          const std::vector<const char*>& colonnes,
                          const std::function<void(const std::vector<QByteArrayView>&)>& ligne) {
    if (!EstMariadb(base)) return false;
    MYSQL* m = PoigneeMariadb(base);
    if (!m) return false;
    auto erreur = [&m, &base](const char* quoi) {
        return ErreurMariadb(base, static_cast<int>(mysql_errno(m)),
                             QString::fromUtf8(mysql_error(m)),
                             QStringLiteral("Erreur : %1 : ").arg(QString::fromUtf8(quoi)));
    };
    auto envoyer = [&] {
        const QByteArray instruction = InstructionAvecValeurs(m, texte, parametres);
        return mysql_real_query(m, instruction.constData(),
                                static_cast<unsigned long>(instruction.size())) == 0;
    };
    // The connection is not checked beforehand (a round trip per search): when the server
    // has dropped it, it is opened again once and the statement, which changes nothing,
    // sent again.
    if (!envoyer()) {
        const unsigned int code = mysql_errno(m);
        if (GenreErreurMariadb(static_cast<int>(code)) != TGenreErreur::ConnexionPerdue)
            throw erreur("la requête n'a pas pu être ouverte");
        RetablirConnexionMariadb(base);
        m = PoigneeMariadb(base);
        if (!m) throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
        if (!envoyer()) throw erreur("la requête n'a pas pu être ouverte");
    }
    // Freed however the walk ends; freeing reads what the server still sends of the
    // result, so that the connection can take the next statement.
    const std::unique_ptr<MYSQL_RES, void (*)(MYSQL_RES*)> resultat(mysql_use_result(m),
                                                                    mysql_free_result);
    if (!resultat) {
        if (mysql_field_count(m) == 0) return true;  // a statement without rows
        throw erreur("la requête n'a pas pu être ouverte");
    }
    const unsigned int nombre = mysql_num_fields(resultat.get());
    const MYSQL_FIELD* champs = mysql_fetch_fields(resultat.get());
    std::vector<unsigned int> positions(colonnes.size());
    for (size_t i = 0; i < colonnes.size(); ++i) {
        unsigned int p = 0;
        while (p < nombre && qstricmp(champs[p].name, colonnes[i]) != 0) ++p;
        if (p == nombre)
            throw EErreurBase(QStringLiteral("Erreur : le champ « %1 » n'existe pas dans le "
                                             "résultat de la requête.")
                                  .arg(QLatin1String(colonnes[i])));
        positions[i] = p;
    }
    std::vector<QByteArrayView> brute(colonnes.size());
    while (MYSQL_ROW donnees = mysql_fetch_row(resultat.get())) {
        const unsigned long* longueurs = mysql_fetch_lengths(resultat.get());
        for (size_t i = 0; i < positions.size(); ++i) {
            const unsigned int p = positions[i];
            brute[i] = donnees[p] ? QByteArrayView(donnees[p], static_cast<qsizetype>(longueurs[p]))
                                  : QByteArrayView();
        }
        ligne(brute);
    }
    if (mysql_errno(m) != 0) throw erreur("lecture du résultat impossible");
    return true;
}

void NoterTransactionMariadb(const QSqlDatabase& base, bool ouverte) {
    if (!EstMariadb(base)) return;
    if (ouverte)
        EnTransaction().insert(base.connectionName());
    else
        EnTransaction().remove(base.connectionName());
}

bool TransactionDuProgrammeMariadb(const QSqlDatabase& base) {
    return EstMariadb(base) && EnTransaction().contains(base.connectionName());
}

void AbandonnerConnexionMariadb(const QSqlDatabase& base, const QString& cause) {
    if (!EstMariadb(base) || !Serveurs().contains(base.connectionName())) return;
    EnTransaction().remove(base.connectionName());
    QSqlDatabase copie = base;
    copie.close();
    // A node found not ready keeps that sentence as the cause, rather than the ROLLBACK's
    // own refusal that followed it.
    if (!Perdues().contains(base.connectionName())) Perdues().insert(base.connectionName(), cause);
}

QString RequeteColonnesIndexMariadb() {
    return QStringLiteral(
        "SELECT COLUMN_NAME FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() "
        "AND TABLE_NAME = :Table AND INDEX_NAME = :Nom ORDER BY SEQ_IN_INDEX");
}

void VerrouillerParametreMariadb(const QSqlDatabase& base, const QString& agence,
                                 const QString& utilisateur, const QString& section,
                                 const QString& cle) {
    if (!EstMariadb(base)) return;
    QSqlQuery q(base);
    q.setForwardOnly(true);
    bool ok =
        q.prepare(QStringLiteral("SELECT valeur_type FROM Parametres WHERE agence = ? AND "
                                 "utilisateur = ? AND section = ? AND cle = ? FOR UPDATE"));
    for (const QString& v : {agence, utilisateur, section, cle})
        q.addBindValue(v.isNull() ? QStringLiteral("") : v);
    if (!ok || !q.exec())
        throw ErreurMariadb(
            base, q.lastError().nativeErrorCode().toInt(), TexteMoteur(q.lastError()),
            QStringLiteral("Erreur : réservation du paramètre « %1 » impossible : ").arg(cle));
    q.finish();
}

TGenreErreur GenreErreurMariadb(int code, const QString& texte) {
    switch (code) {
        case ER_ERROR_DURING_COMMIT:
            // Galera's "Not connected to Primary Component": the node lost the cluster's
            // primary part during the commit (whether the others received it is read back).
            if (texte.contains(QLatin1String("Primary Component"), Qt::CaseInsensitive))
                return TGenreErreur::NoeudNonPret;
            return TGenreErreur::Autre;
        case ER_LOCK_DEADLOCK:
        case ER_LOCK_WAIT_TIMEOUT:
        case ER_LOCK_ABORTED:
            return TGenreErreur::Occupee;
        case CR_SERVER_GONE_ERROR:
        case CR_SERVER_LOST:
        case CR_CONNECTION_ERROR:
        case CR_CONN_HOST_ERROR:
        case ER_CONNECTION_KILLED:
            return TGenreErreur::ConnexionPerdue;
        case ER_ACCESS_DENIED_ERROR:
        case ER_DBACCESS_DENIED_ERROR:
        case ER_TABLEACCESS_DENIED_ERROR:
        case ER_COLUMNACCESS_DENIED_ERROR:
        case ER_SPECIFIC_ACCESS_DENIED_ERROR:
            return TGenreErreur::DroitManquant;
        case ER_DATA_TOO_LONG:
            return TGenreErreur::TexteTropLong;
        case ER_DUP_ENTRY:
        case ER_DUP_KEY:
            return TGenreErreur::Doublon;
        case ER_UNKNOWN_COM_ERROR:  // a Galera node without quorum: "WSREP has not yet prepared"
            return TGenreErreur::NoeudNonPret;
        case ER_OPTION_PREVENTS_STATEMENT:
        case ER_READ_ONLY_MODE:
            return TGenreErreur::LectureSeule;
        case ER_DISK_FULL:
        case ER_RECORD_FILE_FULL:
            return TGenreErreur::DisquePlein;
        default:
            return TGenreErreur::Autre;
    }
}

EErreurBase ErreurMariadb(const QSqlDatabase& base, int code, const QString& texte,
                          const QString& debut) {
    const TGenreErreur genre = GenreErreurMariadb(code, texte);
    const auto serveur = Serveurs().constFind(base.connectionName());
    if (genre != TGenreErreur::NoeudNonPret || serveur == Serveurs().constEnd())
        return EErreurBase(debut + texte, genre, code);
    // Opened again, from the next node, at the next operation.
    const QString phrase = PhraseNoeudNonPret(serveur->Designation());
    Perdues().insert(base.connectionName(), phrase);
    return EErreurBase(
        QStringLiteral("Erreur : %1 ; rien n'y a été enregistré%2 (%3)")
            .arg(phrase,
                 serveur->noeuds.size() > 1
                     ? QStringLiteral(" et la prochaine opération passera par un autre nœud")
                     : QString(),
                 texte),
        genre, code);
}

bool ConflitDeVerrou(const std::exception& erreur, const QSqlDatabase& base) {
    const auto* e = dynamic_cast<const EErreurBase*>(&erreur);
    if (!e) return false;
    if (e->Genre() == TGenreErreur::Occupee) return true;
    if (e->Genre() != TGenreErreur::ConnexionPerdue && e->Genre() != TGenreErreur::NoeudNonPret)
        return false;
    // Once no node could be reached, another attempt would only wait for them again.
    const QString nom = base.connectionName();
    return !Injoignables().contains(nom) && (base.isOpen() || Perdues().contains(nom));
}

QString TMoteurMariadb::NomPilote() const { return NomPiloteMariadb(); }

void TMoteurMariadb::Ouvrir(QSqlDatabase& base, const QString& chemin) {
    // Never sms.abs instead: a server was asked for.
    OuvrirMariadb(base, LireConnexionIni(chemin));
}

void TMoteurMariadb::Oublier(const QSqlDatabase& base) { OublierConnexionMariadb(base); }

void TMoteurMariadb::Retablir(const QSqlDatabase& base) { RetablirConnexionMariadb(base); }

TGenreErreur TMoteurMariadb::Genre(int code) const { return GenreErreurMariadb(code); }

std::optional<EErreurBase> TMoteurMariadb::Interpreter(const QSqlDatabase& base,
                                                       const QSqlError& erreur,
                                                       const QString& debut) {
    return ErreurMariadb(base, erreur.nativeErrorCode().toInt(), TexteMoteur(erreur), debut);
}

// The rows are reserved by the locking reads made inside the transaction.
QString TMoteurMariadb::InstructionDebut() const { return QStringLiteral("START TRANSACTION"); }

bool TMoteurMariadb::TransactionDuProgramme(const QSqlDatabase& base) const {
    return TransactionDuProgrammeMariadb(base);
}

void TMoteurMariadb::NoterTransaction(const QSqlDatabase& base, bool ouverte) {
    NoterTransactionMariadb(base, ouverte);
}

void TMoteurMariadb::RetourArriereEchoue(const QSqlDatabase& base, const QString& cause) {
    AbandonnerConnexionMariadb(base, cause);
}

bool TMoteurMariadb::Rejouable(const QSqlDatabase& base) const {
    return !TransactionDuProgrammeMariadb(base);
}

bool TMoteurMariadb::ConflitDeVerrou(const std::exception& erreur, const QSqlDatabase& base) const {
    return ::ConflitDeVerrou(erreur, base);
}

void TMoteurMariadb::VerrouillerParametre(const QSqlDatabase& base, const QString& agence,
                                          const QString& utilisateur, const QString& section,
                                          const QString& cle) {
    VerrouillerParametreMariadb(base, agence, utilisateur, section, cle);
}

QString TMoteurMariadb::RequeteColonnesIndex() const { return RequeteColonnesIndexMariadb(); }

bool TMoteurMariadb::ParcourirTexte(const QSqlDatabase& base, const QString& texte,
                                    const std::vector<std::pair<QString, QVariant>>& parametres,
                                    const std::vector<const char*>& colonnes,
                                    const TRappelLigne& ligne) {
    return ParcourirBrutMariadb(base, texte, parametres, colonnes, ligne);
}

// The server's rows are read by ParcourirTexte, never from a query already executed.
bool TMoteurMariadb::ParcourirRequete(const QSqlQuery&, const std::vector<const char*>&,
                                      const char*, const TRappelLigne&) {
    return false;
}
