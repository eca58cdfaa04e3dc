#include "data/MoteurSqlite.h"

#include <sqlite3.h>

#include <QtGlobal>
#ifdef Q_OS_WIN
extern Q_CORE_EXPORT int qt_ntfs_permission_lookup;
#else
#include <unistd.h>
#endif

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <QUrl>
#include <QVariant>
#include <algorithm>

#include "data/Connexionbase.h"
#include "data/EErreurBase.h"

namespace {

// SQLite's own busy handler retries every 100 ms at the end, so a copy that waits for
// the write lock while three others take it in turn back to back almost never finds it
// free, and gives up with "database is locked". Retrying every few milliseconds, for the
// same total time, gives every waiting copy its turn.
int AttendreBase(void*, int fois) {
    thread_local QElapsedTimer debut;
    if (fois == 0 || !debut.isValid()) debut.start();
    if (debut.elapsed() >= DelaiAttenteMs) return 0;
    sqlite3_sleep(fois < 20 ? 1 : 3);
    return 1;
}

// The connection's own handle.
sqlite3* Poignee(const QSqlDatabase& base) {
    if (!base.isValid() || !base.isOpen() || !base.driver()) return nullptr;
    QVariant h = base.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(h.data());
}

// The engine's own statement behind an opened query, when the driver is SQLite's.
sqlite3_stmt* Instruction(const QSqlQuery& requete) {
    const QSqlResult* resultat = requete.result();
    if (!resultat) return nullptr;
    const QVariant h = resultat->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0) return nullptr;
    return *static_cast<sqlite3_stmt* const*>(h.data());
}

QByteArrayView ColonneBrute(sqlite3_stmt* instruction, int position) {
    const unsigned char* texte = sqlite3_column_text(instruction, position);
    if (!texte) return QByteArrayView();
    return QByteArrayView(reinterpret_cast<const char*>(texte),
                          sqlite3_column_bytes(instruction, position));
}

// Whether the statement stands on the row the query shows, the only way to go on
// reading it directly: the unique column tells the rows apart.
bool SurLaLigneDeLaRequete(const QSqlQuery& requete, sqlite3_stmt* instruction, int position) {
    if (sqlite3_data_count(instruction) <= 0 ||
        sqlite3_column_type(instruction, position) != SQLITE_INTEGER)
        return false;
    bool entier = false;
    const qlonglong valeur = requete.value(position).toLongLong(&entier);
    return entier && valeur == sqlite3_column_int64(instruction, position);
}

// What to ask the administrator for when this account cannot read and write the database
// file or create the journal beside it in its folder; empty when both rights are there.
QString DroitADemander(const QString& chemin) {
    const QFileInfo fichier(chemin);
#ifdef Q_OS_WIN
    // Windows rights are access lists, which Qt reads only while this counter is raised
    // (through the wide-character API).
    ++qt_ntfs_permission_lookup;
    const bool ok = fichier.isReadable() && fichier.isWritable() &&
                    QFileInfo(fichier.canonicalPath()).isWritable();
    --qt_ntfs_permission_lookup;
    if (ok) return {};
    return QStringLiteral(
        "Demandez à l'administrateur de donner à ce compte l'autorisation "
        "« Modification » sur ce dossier.");
#else
    if (access(QFile::encodeName(chemin).constData(), R_OK | W_OK) == 0 &&
        access(QFile::encodeName(fichier.canonicalPath()).constData(), W_OK | X_OK) == 0)
        return {};
    return QStringLiteral("Demandez à l'administrateur de l'ajouter au groupe « %1 ».")
        .arg(fichier.group());
#endif
}

}  // namespace

TGenreErreur GenreErreurSqlite(int code) {
    switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return TGenreErreur::Occupee;
        case SQLITE_PERM:
        case SQLITE_AUTH:
        case SQLITE_CANTOPEN:
            return TGenreErreur::DroitManquant;
        case SQLITE_READONLY:
            return TGenreErreur::LectureSeule;
        case SQLITE_FULL:
            return TGenreErreur::DisquePlein;
        case SQLITE_TOOBIG:
            return TGenreErreur::TexteTropLong;
        default:
            return TGenreErreur::Autre;
    }
}

void RegleAttenteSqlite(const QSqlDatabase& base) {
    if (sqlite3* p = Poignee(base)) sqlite3_busy_handler(p, AttendreBase, nullptr);
}

bool TransactionOuverteSqlite(const QSqlDatabase& base) {
    sqlite3* p = Poignee(base);
    return p && !sqlite3_get_autocommit(p);
}

QString CauseFichierSqlite(const QSqlDatabase& base, const QSqlError& erreur) {
    sqlite3* p = Poignee(base);
    if (!p) return QString();
    // The driver turns on the extended codes: the error carries one.
    bool nombre = false;
    const int code = erreur.nativeErrorCode().toInt(&nombre);
    if (!nombre) return QString();
    const char* nom = sqlite3_db_filename(p, "main");
    if (!nom || !*nom) return QString();
    const QString fichier = QString::fromUtf8(nom);
    const QString journal = fichier + QStringLiteral("-journal");
    const QString dossier = QFileInfo(fichier).absolutePath();
    if (code == SQLITE_READONLY_DBMOVED)
        return QStringLiteral(
                   "le fichier de base de données « %1 » a été supprimé, remplacé ou déplacé "
                   "depuis que le programme l'a ouvert ; fermez la fenêtre et relancez le "
                   "programme")
            .arg(QDir::toNativeSeparators(fichier));
    // The journal holds the pages a write changes until it is committed; SQLite creates it
    // beside the file at each write.
    const bool journalImpossible = code == SQLITE_READONLY_DIRECTORY ||
                                   (code & 0xFF) == SQLITE_CANTOPEN ||
                                   ((code & 0xFF) == SQLITE_IOERR && QFileInfo::exists(journal) &&
                                    !QFileInfo(journal).isFile());
    if (journalImpossible)
        return QStringLiteral(
                   "le journal de la base ne peut pas être créé dans le dossier « %1 » : ce "
                   "compte doit pouvoir y créer le fichier « %2 », et rien d'autre ne doit "
                   "porter ce nom")
            .arg(QDir::toNativeSeparators(dossier), QFileInfo(journal).fileName());
    return QString();
}

bool ParcourirBrutSqlite(const QSqlQuery& requete, const std::vector<const char*>& colonnes,
                         const char* colonneUnique,
                         const std::function<void(const std::vector<QByteArrayView>&)>& ligne) {
    sqlite3_stmt* instruction = Instruction(requete);
    if (!instruction) return false;
    const int nombre = sqlite3_column_count(instruction);
    auto position = [&](const char* nom) {
        for (int p = 0; p < nombre; ++p)
            if (sqlite3_stricmp(sqlite3_column_name(instruction, p), nom) == 0) return p;
        return -1;
    };
    std::vector<int> positions(colonnes.size(), -1);
    for (size_t i = 0; i < positions.size(); ++i) positions[i] = position(colonnes[i]);
    const int positionUnique = position(colonneUnique);
    if (positionUnique < 0 ||
        std::find(positions.begin(), positions.end(), -1) != positions.end() ||
        !SurLaLigneDeLaRequete(requete, instruction, positionUnique))
        return false;

    std::vector<QByteArrayView> brute(colonnes.size());
    for (;;) {
        for (size_t i = 0; i < positions.size(); ++i)
            brute[i] = ColonneBrute(instruction, positions[i]);
        ligne(brute);
        const int code = sqlite3_step(instruction);
        if (code == SQLITE_DONE) return true;
        if (code != SQLITE_ROW)
            throw EErreurBase(
                QStringLiteral("Erreur : lecture du résultat impossible : %1")
                    .arg(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(instruction)))));
    }
}

QString NomUriSqlite(const QString& chemin) {
    // Without the encoding, a "#" or "?" in a folder name would cut "?mode=rw" off and
    // SQLite would create the file.
    return QStringLiteral("file:") +
           QString::fromLatin1(QUrl::toPercentEncoding(chemin, QByteArrayLiteral("/"))) +
           QStringLiteral("?mode=rw");
}

QString TMoteurSqlite::NomPilote() const { return QStringLiteral("QSQLITE"); }

void TMoteurSqlite::Ouvrir(QSqlDatabase& base, const QString& chemin) {
    base.setDatabaseName(NomUriSqlite(chemin));
    base.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(DelaiAttenteMs));
    if (!base.open()) {
        QString moteur = TexteMoteur(base.lastError());
        base.close();
        if (!QFileInfo::exists(chemin))
            throw EErreurBase(
                QStringLiteral("Erreur : le fichier de base de données « %1 » est introuvable : %2")
                    .arg(QDir::toNativeSeparators(chemin), moteur));
        // SQLite says only "unable to open": name a missing right, which a user can act on.
        if (const QString droit = DroitADemander(chemin); !droit.isEmpty())
            throw EErreurBase(
                QStringLiteral("Erreur : accès refusé au fichier de base de données « %1 » : ce "
                               "compte doit pouvoir lire et écrire ce fichier et son dossier. %2")
                    .arg(QDir::toNativeSeparators(chemin), droit));
        throw EErreurBase(
            QStringLiteral("Erreur : le fichier de base de données « %1 » ne peut pas être "
                           "ouvert : %2")
                .arg(QDir::toNativeSeparators(chemin), moteur));
    }
    QSqlQuery q(base);
    // Several running copies share the file: wait for the others instead of failing.
    bool ok = q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(DelaiAttenteMs));
    RegleAttenteSqlite(base);
    // SQLite opens any file; only the first read tells whether it is a database. It may
    // wait for another copy that holds the file.
    if (ok) ok = q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!ok) {
        QString moteur = TexteMoteur(q.lastError());
        const int code = q.lastError().nativeErrorCode().toInt();
        q = QSqlQuery();
        base.close();
        if (GenreErreurSqlite(code) == TGenreErreur::Occupee)
            throw EErreurBase(
                QStringLiteral("Erreur : la base de données « %1 » est utilisée par un autre "
                               "poste ; réessayez dans un instant (%2)")
                    .arg(QDir::toNativeSeparators(chemin), moteur),
                TGenreErreur::Occupee, code);
        throw EErreurBase(QStringLiteral("Erreur : le fichier « %1 » n'est pas une base de données "
                                         "utilisable : %2")
                              .arg(QDir::toNativeSeparators(chemin), moteur),
                          GenreErreurSqlite(code), code);
    }
}

TGenreErreur TMoteurSqlite::Genre(int code) const { return GenreErreurSqlite(code); }

std::optional<EErreurBase> TMoteurSqlite::Interpreter(const QSqlDatabase& base,
                                                      const QSqlError& erreur, const QString&) {
    const QString cause = CauseFichierSqlite(base, erreur);
    if (cause.isEmpty()) return std::nullopt;
    return EErreurBase(QStringLiteral("Erreur : %1 (%2)").arg(cause, TexteMoteur(erreur)),
                       TGenreErreur::FichierBase, erreur.nativeErrorCode().toInt());
}

// A plain BEGIN would take the write lock only at the first write, and fail at once under
// contention; IMMEDIATE waits for it on the busy timeout.
QString TMoteurSqlite::InstructionDebut() const { return QStringLiteral("BEGIN IMMEDIATE"); }

bool TMoteurSqlite::TransactionDuProgramme(const QSqlDatabase& base) const {
    return TransactionOuverteSqlite(base);
}

void TMoteurSqlite::RetourArriereEchoue(const QSqlDatabase& base, const QString&) {
    // SQLite itself ends a transaction an error broke off; one still open is ended here,
    // so that the next operation does not run inside it.
    sqlite3* p = Poignee(base);
    if (p && !sqlite3_get_autocommit(p)) sqlite3_exec(p, "ROLLBACK", nullptr, nullptr, nullptr);
}

QString TMoteurSqlite::RequeteColonnesIndex() const {
    return QStringLiteral(
        "SELECT ii.name FROM sqlite_master m, pragma_index_info(m.name) ii"
        " WHERE m.type = 'index' AND m.name = :Nom AND m.tbl_name = :Table ORDER BY ii.seqno");
}

bool TMoteurSqlite::ParcourirRequete(const QSqlQuery& requete,
                                     const std::vector<const char*>& colonnes,
                                     const char* colonneUnique, const TRappelLigne& ligne) {
    return ParcourirBrutSqlite(requete, colonnes, colonneUnique, ligne);
}
