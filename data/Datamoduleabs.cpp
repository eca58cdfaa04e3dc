// Everything that is SQLite's own lives in this unit: the URI opening, the busy timeout,
// BEGIN IMMEDIATE, the catalogue queries that check the layout. Every other statement of
// the program is portable SQL sent through TRequete.
#include "data/Datamoduleabs.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <QUrl>
#include <algorithm>
#include <limits>

TDataModuleAbs* DataModuleAbs = nullptr;

namespace {

// How long a statement waits for another running copy to release the file.
constexpr int DelaiAttenteMs = 10000;

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

QString TexteMoteur(const QSqlError& erreur) {
    QString texte = erreur.text().trimmed();
    return texte.isEmpty() ? QStringLiteral("erreur inconnue") : texte;
}

QSqlDatabase Connexion(const QString& nomConnexion) {
    return QSqlDatabase::database(nomConnexion, false);
}

void VerifierOuverte(const QSqlDatabase& base) {
    if (!base.isValid() || !base.isOpen())
        throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
}

// The connection's own handle, to know whether a transaction is already running.
sqlite3* Poignee(const QSqlDatabase& base) {
    if (!base.isValid() || !base.isOpen() || !base.driver()) return nullptr;
    QVariant h = base.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(h.data());
}

QString Citer(const QString& identifiant) {
    QString t = identifiant;
    t.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QVariant ChampDe(const QSqlRecord& ligne, const QString& nom, const QString& ou) {
    int i = ligne.indexOf(nom);
    if (i < 0)
        throw EErreurBase(QStringLiteral("Erreur : le champ « %1 » n'existe pas dans %2.")
                              .arg(nom, ou)
                              .toStdString());
    return ligne.value(i);
}

}  // namespace

QVariant ChampLigne(const QSqlRecord& ligne, const QString& nom) {
    return ChampDe(ligne, nom, QStringLiteral("la ligne lue"));
}

// ---------------------------------------------------------------------------------------
// TRequete

TRequete::TRequete(const QString& nomConnexion) : requete(Connexion(nomConnexion)) {
    requete.setForwardOnly(true);
}

void TRequete::ParamEntier(const QString& nom, qint32 valeur) {
    DefinirParametre(nom, QVariant(valeur));
}

void TRequete::ParamTexte(const QString& nom, const QString& valeur) {
    // A null QString would bind as NULL, which "=" never finds again.
    DefinirParametre(nom, QVariant(valeur.isNull() ? QStringLiteral("") : valeur));
}

void TRequete::ParamDate(const QString& nom, const QDateTime& valeur) {
    // Never let Qt bind the QDateTime itself: it would write a "T" between date and time.
    if (!valeur.isValid())
        DefinirParametre(nom, QVariant(QMetaType::fromType<QString>()));
    else
        DefinirParametre(nom, QVariant(valeur.toString(QLatin1String(FormatDateBase))));
}

void TRequete::DefinirParametre(const QString& nom, const QVariant& valeur) {
    for (auto& p : parametres) {
        if (p.first == nom) {
            p.second = valeur;
            return;
        }
    }
    parametres.emplace_back(nom, valeur);
}

void TRequete::Preparer() {
    if (!requete.driver() || !requete.driver()->isOpen())
        throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
    const QString texte = Texte();
    if (!requete.prepare(texte))
        throw EErreurBase(QStringLiteral("Erreur : la requête n'a pas pu être préparée : %1")
                              .arg(TexteMoteur(requete.lastError()))
                              .toStdString());
    for (const auto& [nom, valeur] : parametres) {
        // Qt silently ignores a name that is not in the text: the placeholder would stay NULL.
        static const QRegularExpression finNom(QStringLiteral("^[A-Za-z0-9_$]"));
        const QString marque = QLatin1Char(':') + nom;
        bool trouve = false;
        for (qsizetype pos = texte.indexOf(marque); pos >= 0;
             pos = texte.indexOf(marque, pos + 1)) {
            if (!finNom.match(texte.mid(pos + marque.size(), 1)).hasMatch()) {
                trouve = true;
                break;
            }
        }
        if (!trouve)
            throw EErreurBase(
                QStringLiteral("Erreur : le paramètre « %1 » n'apparaît pas dans la requête.")
                    .arg(nom)
                    .toStdString());
        requete.bindValue(marque, valeur);
    }
    prepare = true;
}

int TRequete::ExecSQL() {
    Fermer();
    Preparer();
    if (!requete.exec())
        throw EErreurBase(QStringLiteral("Erreur : la requête a échoué : %1")
                              .arg(TexteMoteur(requete.lastError()))
                              .toStdString());
    int n = requete.numRowsAffected();
    requete.finish();
    return n;
}

void TRequete::Ouvrir() {
    Fermer();
    Preparer();
    if (!requete.exec())
        throw EErreurBase(QStringLiteral("Erreur : la requête n'a pas pu être ouverte : %1")
                              .arg(TexteMoteur(requete.lastError()))
                              .toStdString());
    ligne = 0;
    Avancer();
}

void TRequete::Avancer() {
    eof = !requete.next();
    if (!eof) ++ligne;
    if (eof) {
        if (requete.lastError().isValid())
            throw EErreurBase(QStringLiteral("Erreur : lecture du résultat impossible : %1")
                                  .arg(TexteMoteur(requete.lastError()))
                                  .toStdString());
        // A finished statement releases its read lock on the file at once.
        requete.finish();
    }
}

bool TRequete::Eof() const { return eof; }

void TRequete::Suivant() {
    if (!eof) Avancer();
}

int TRequete::Relancer() {
    // A forward-only result cannot go back: run the statement again.
    if (!prepare) throw EErreurBase("Erreur : la requête n'a pas été ouverte.");
    if (!requete.exec())
        throw EErreurBase(QStringLiteral("Erreur : la requête n'a pas pu être rouverte : %1")
                              .arg(TexteMoteur(requete.lastError()))
                              .toStdString());
    ligne = 0;
    Avancer();
    return 0;
}

int TRequete::NombreLignes() {
    if (ligne != 0 || eof) Relancer();
    int n = 0;
    while (!eof) {
        ++n;
        Avancer();
    }
    Relancer();
    return n;
}

QSqlRecord TRequete::Ligne() const {
    if (eof) throw EErreurBase("Erreur : la requête n'a pas de ligne courante.");
    return requete.record();
}

QVariant TRequete::Champ(const QString& nom) const {
    return ChampDe(Ligne(), nom, QStringLiteral("le résultat de la requête"));
}

void TRequete::Fermer() {
    if (requete.isActive()) requete.finish();
    eof = true;
    ligne = 0;
}

// ---------------------------------------------------------------------------------------
// TCurseur

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
                .arg(TableName, TexteMoteur(essai.lastError()))
                .toStdString());
    actif = true;
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
    QSqlQuery q(base);
    q.setForwardOnly(true);
    QStringList colonnes;
    if (q.prepare(QStringLiteral("SELECT ii.name FROM sqlite_master m, pragma_index_info(m.name) ii"
                                 " WHERE m.type = 'index' AND m.name = :Nom AND m.tbl_name = "
                                 ":Table ORDER BY ii.seqno"))) {
        q.bindValue(QStringLiteral(":Nom"), nomComplet);
        q.bindValue(QStringLiteral(":Table"), TableName);
        if (q.exec())
            while (q.next()) colonnes << q.value(0).toString();
    }
    if (q.lastError().isValid())
        throw EErreurBase(QStringLiteral("Erreur : l'index « %1 » de la table « %2 » n'a pas pu "
                                         "être lu : %3")
                              .arg(nomIndex, TableName, TexteMoteur(q.lastError()))
                              .toStdString());
    if (colonnes.isEmpty())
        throw EErreurBase(QStringLiteral("Erreur : l'index « %1 » (%2) est absent de la table "
                                         "« %3 » : no such index: %2")
                              .arg(nomIndex, nomComplet, TableName)
                              .toStdString());
    return colonnes;
}

void TCurseur::SelectionnerIndex(const QString& nomIndex) {
    if (!actif)
        throw EErreurBase(QStringLiteral("Erreur : la table « %1 » n'est pas ouverte.")
                              .arg(TableName)
                              .toStdString());
    colonnesIndex = ColonnesIndex(nomIndex);
    indexColonnes = nomIndex;
    IndexName = nomIndex;
    IndexFieldNames.clear();
}

void TCurseur::SelectionnerChamps(const QString& champs) {
    IndexFieldNames = champs;
    IndexName.clear();
}

void TCurseur::AnnulerPlage() {
    // No range is ever set; nothing to cancel.
}

void TCurseur::Premier() {
    if (!actif)
        throw EErreurBase(QStringLiteral("Erreur : la table « %1 » n'est pas ouverte.")
                              .arg(TableName)
                              .toStdString());
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
    if (!ordre.isEmpty()) {
        QStringList cites;
        for (const QString& c : ordre) cites << Citer(c);
        texte += QStringLiteral(" ORDER BY ") + cites.join(QStringLiteral(", "));
    }

    parcours = std::make_unique<QSqlQuery>(base);
    parcours->setForwardOnly(true);
    if (!parcours->exec(texte)) {
        QString message = TexteMoteur(parcours->lastError());
        parcours.reset();
        eof = true;
        throw EErreurBase(QStringLiteral("Erreur : la table « %1 » n'a pas pu être parcourue : %2")
                              .arg(TableName, message)
                              .toStdString());
    }
    // SQLite reads an unknown double-quoted name as a text constant: check the order fields.
    const QSqlRecord champs = parcours->record();
    for (const QString& c : ordre) {
        if (champs.indexOf(c) < 0) {
            parcours.reset();
            eof = true;
            throw EErreurBase(
                QStringLiteral("Erreur : le champ de tri « %1 » n'existe pas dans la table « %2 ».")
                    .arg(c, TableName)
                    .toStdString());
        }
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
                                  .arg(TableName, TexteMoteur(erreur))
                                  .toStdString());
    }
}

void TCurseur::Suivant() {
    if (!eof && parcours) Avancer();
}

bool TCurseur::Eof() const { return eof || !parcours; }

QSqlRecord TCurseur::Ligne() const {
    if (Eof())
        throw EErreurBase(QStringLiteral("Erreur : la table « %1 » n'a pas de ligne courante.")
                              .arg(TableName)
                              .toStdString());
    return parcours->record();
}

QVariant TCurseur::Champ(const QString& nom) const {
    return ChampDe(Ligne(), nom, QStringLiteral("la table « %1 »").arg(TableName));
}

// ---------------------------------------------------------------------------------------
// TDataModuleAbs

namespace {
QString NomConnexionLibre() {
    // The first module uses the design's name; tests and tools may build several.
    if (!QSqlDatabase::contains(QLatin1String(TDataModuleAbs::NomBase)))
        return QLatin1String(TDataModuleAbs::NomBase);
    for (int i = 2;; ++i) {
        QString nom = QStringLiteral("%1-%2").arg(QLatin1String(TDataModuleAbs::NomBase)).arg(i);
        if (!QSqlDatabase::contains(nom)) return nom;
    }
}
}  // namespace

TDataModuleAbs::TDataModuleAbs(const QString& dossier, const QString& nomFichier)
    : tblHistorique(NomConnexionLibre()),
      tblConfigurationApi(tblHistorique.NomConnexion()),
      tblCategorie(tblHistorique.NomConnexion()),
      tblParametres(tblHistorique.NomConnexion()),
      tblTemplate(tblHistorique.NomConnexion()),
      dossier(dossier),
      nomFichier(nomFichier),
      nomConnexion(tblHistorique.NomConnexion()) {
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nomConnexion);
}

TDataModuleAbs::~TDataModuleAbs() {
    FermerBase();
    QSqlDatabase::removeDatabase(nomConnexion);
}

QSqlDatabase TDataModuleAbs::Database() const { return Connexion(nomConnexion); }

QString TDataModuleAbs::NomConnexion() const { return nomConnexion; }

QString TDataModuleAbs::CheminFichier() const {
    QString d = dossier.isEmpty() ? QCoreApplication::applicationDirPath() : dossier;
    return QDir(d).absoluteFilePath(nomFichier);
}

QString TDataModuleAbs::NomUri(const QString& chemin) {
    // Without the encoding, a "#" or "?" in a folder name would cut "?mode=rw" off and
    // SQLite would create the file.
    return QStringLiteral("file:") +
           QString::fromLatin1(QUrl::toPercentEncoding(chemin, QByteArrayLiteral("/"))) +
           QStringLiteral("?mode=rw");
}

void TDataModuleAbs::Connecter() {
    QSqlDatabase base = Database();
    if (base.isOpen()) return;
    const QString chemin = CheminFichier();
    base.setDatabaseName(NomUri(chemin));
    base.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(DelaiAttenteMs));
    if (!base.open()) {
        QString moteur = TexteMoteur(base.lastError());
        base.close();
        if (!QFileInfo::exists(chemin))
            throw EErreurBase(
                QStringLiteral("Erreur : le fichier de base de données « %1 » est introuvable : %2")
                    .arg(QDir::toNativeSeparators(chemin), moteur)
                    .toStdString());
        throw EErreurBase(
            QStringLiteral("Erreur : le fichier de base de données « %1 » ne peut pas être "
                           "ouvert : %2")
                .arg(QDir::toNativeSeparators(chemin), moteur)
                .toStdString());
    }
    QSqlQuery q(base);
    // Several running copies share the file: wait for the others instead of failing.
    bool ok = q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(DelaiAttenteMs));
    if (sqlite3* p = Poignee(base)) sqlite3_busy_handler(p, AttendreBase, nullptr);
    // SQLite opens any file; only the first read tells whether it is a database.
    if (ok) ok = q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!ok) {
        QString moteur = TexteMoteur(q.lastError());
        q = QSqlQuery();
        base.close();
        throw EErreurBase(QStringLiteral("Erreur : le fichier « %1 » n'est pas une base de données "
                                         "utilisable : %2")
                              .arg(QDir::toNativeSeparators(chemin), moteur)
                              .toStdString());
    }
}

void TDataModuleAbs::OuvrirBase() {
    try {
        Connecter();
        tblHistorique.TableName = QStringLiteral("Historique");
        tblConfigurationApi.TableName = QStringLiteral("ConfigurationApi");
        tblCategorie.TableName = QStringLiteral("Categorie");
        tblParametres.TableName = QStringLiteral("Parametres");
        tblTemplate.TableName = QStringLiteral("Template");

        tblHistorique.Ouvrir();
        tblConfigurationApi.Ouvrir();
        tblCategorie.Ouvrir();
        tblParametres.Ouvrir();
        tblTemplate.Ouvrir();

        tblHistorique.SelectionnerIndex(QStringLiteral("ID"));
        tblConfigurationApi.SelectionnerIndex(QStringLiteral("ID"));
        tblConfigurationApi.SelectionnerChamps(QStringLiteral("NOM"));
        tblCategorie.SelectionnerIndex(QStringLiteral("ID"));
        tblParametres.SelectionnerIndex(QStringLiteral("OnlyOne"));
        tblTemplate.SelectionnerIndex(QStringLiteral("ID"));

        for (TCurseur* c :
             {&tblHistorique, &tblConfigurationApi, &tblCategorie, &tblParametres, &tblTemplate})
            c->ReadOnly = false;
    } catch (...) {
        // Nothing stays half open: the next call starts again from the connection.
        FermerBase();
        throw;
    }
}

void TDataModuleAbs::FermerBase() {
    tblHistorique.Fermer();
    tblConfigurationApi.Fermer();
    tblCategorie.Fermer();
    tblParametres.Fermer();
    tblTemplate.Fermer();
    QSqlDatabase base = Database();
    if (base.isValid()) base.close();
}

std::unique_ptr<TRequete> TDataModuleAbs::CreerRequete() {
    VerifierOuverte(Database());
    return std::make_unique<TRequete>(nomConnexion);
}

qint32 TDataModuleAbs::ProchainId(TCurseur& table) {
    table.AnnulerPlage();
    table.Premier();
    qint64 maximum = 0;
    while (!table.Eof()) {
        const QSqlRecord ligne = table.Ligne();
        qint64 valeur = ligne.count() > 0 ? ligne.value(0).toLongLong() : 0;
        if (valeur > maximum) maximum = valeur;
        table.Suivant();
    }
    if (maximum >= std::numeric_limits<qint32>::max())
        throw EErreurBase(QStringLiteral("Erreur : plus aucun identifiant disponible dans la "
                                         "table « %1 » (le plus grand vaut %2).")
                              .arg(table.TableName)
                              .arg(maximum)
                              .toStdString());
    return static_cast<qint32>(maximum + 1);
}

// ---------------------------------------------------------------------------------------
// TTransactionImmediate

TTransactionImmediate::TTransactionImmediate(const QString& nomConnexion)
    : nomConnexion(nomConnexion) {
    QSqlDatabase base = Connexion(nomConnexion);
    VerifierOuverte(base);
    // Inside a caller's transaction, this one is part of it.
    sqlite3* p = Poignee(base);
    if (p && !sqlite3_get_autocommit(p)) return;
    QSqlQuery q(base);
    // A plain BEGIN would take the write lock only at the first write, and fail at once
    // under contention; IMMEDIATE waits for it on the busy timeout.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        throw EErreurBase(
            QStringLiteral("Erreur : la base de données n'a pas pu être réservée en écriture : %1")
                .arg(TexteMoteur(q.lastError()))
                .toStdString());
    enCours = true;
}

TTransactionImmediate::~TTransactionImmediate() {
    if (!enCours) return;
    QSqlDatabase base = Connexion(nomConnexion);
    if (!base.isOpen()) return;
    QSqlQuery q(base);
    q.exec(QStringLiteral("ROLLBACK"));
}

void TTransactionImmediate::Valider() {
    if (!enCours) return;
    QSqlDatabase base = Connexion(nomConnexion);
    VerifierOuverte(base);
    QSqlQuery q(base);
    if (!q.exec(QStringLiteral("COMMIT")))
        throw EErreurBase(
            QStringLiteral("Erreur : les modifications n'ont pas pu être validées : %1")
                .arg(TexteMoteur(q.lastError()))
                .toStdString());
    enCours = false;
}

// ---------------------------------------------------------------------------------------
// Dates

QDateTime DateZero() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0)); }

QDateTime LireDateBase(const QVariant& valeur) {
    if (valeur.isNull() || !valeur.isValid()) return DateZero();
    if (valeur.metaType() == QMetaType::fromType<QDateTime>()) return valeur.toDateTime();
    const QString texte = valeur.toString().trimmed();
    if (texte.isEmpty()) return DateZero();
    // Day and time are read apart: QDateTime::fromString refuses a local time that a
    // clock change skips (02:30 on the last Sunday of March in Paris), and such a row must
    // still read.
    const QDate jour = QDate::fromString(texte.left(10), QStringLiteral("yyyy-MM-dd"));
    if (jour.isValid()) {
        const QString reste = texte.mid(10);
        if (reste.isEmpty()) return QDateTime(jour, QTime(0, 0));
        if (reste.front() == u' ' || reste.front() == u'T') {
            for (const char* f : {"hh:mm:ss.zzz", "hh:mm:ss", "hh:mm"}) {
                const QTime heure = QTime::fromString(reste.mid(1), QLatin1String(f));
                if (!heure.isValid()) continue;
                const QDateTime date(jour, heure);
                if (date.isValid()) return date;
                // In the skipped hour: the same time elapsed since midnight lands after it.
                return QDateTime(jour, QTime(0, 0)).addMSecs(heure.msecsSinceStartOfDay());
            }
        }
    }
    throw EErreurBase(QStringLiteral("Erreur : la date « %1 » lue dans la base n'est pas "
                                     "dans le format attendu (%2).")
                          .arg(texte, QLatin1String(FormatDateBase))
                          .toStdString());
}

namespace {

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

}  // namespace

void TRequete::ParcourirBrut(const std::vector<const char*>& colonnes, const char* colonneUnique,
                             const std::function<void(const TLigneBrute&)>& ligne) {
    // Closed however the walk ends: a statement left standing on a row keeps the file
    // locked for the other copies, and after an error QSqlQuery would still believe it
    // stands on the first row read, so that a later Suivant would start the failed
    // statement over.
    struct TFermeture {
        TRequete& requete;
        ~TFermeture() { requete.Fermer(); }
    } fermeture{*this};
    if (Eof()) return;
    std::vector<int> positions(colonnes.size(), -1);
    TLigneBrute brute(colonnes.size());

    // QSqlQuery turns every column of every row into a UTF-16 QVariant, which costs more
    // than the engine's own reading; on SQLite the rows are taken from the statement
    // itself, from the row the query already stands on.
    sqlite3_stmt* instruction = LectureDirecte ? Instruction(requete) : nullptr;
    if (instruction) {
        const int nombre = sqlite3_column_count(instruction);
        auto position = [&](const char* nom) {
            for (int p = 0; p < nombre; ++p)
                if (sqlite3_stricmp(sqlite3_column_name(instruction, p), nom) == 0) return p;
            return -1;
        };
        for (size_t i = 0; i < positions.size(); ++i) positions[i] = position(colonnes[i]);
        const int positionUnique = position(colonneUnique);
        if (positionUnique < 0 ||
            std::find(positions.begin(), positions.end(), -1) != positions.end() ||
            !SurLaLigneDeLaRequete(requete, instruction, positionUnique))
            instruction = nullptr;
    }
    if (instruction) {
        for (;;) {
            for (size_t i = 0; i < positions.size(); ++i)
                brute[i] = ColonneBrute(instruction, positions[i]);
            ligne(brute);
            const int code = sqlite3_step(instruction);
            if (code == SQLITE_DONE) break;
            if (code != SQLITE_ROW)
                throw EErreurBase(
                    QStringLiteral("Erreur : lecture du résultat impossible : %1")
                        .arg(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(instruction))))
                        .toStdString());
        }
        return;
    }

    const QSqlRecord champs = requete.record();
    for (size_t i = 0; i < positions.size(); ++i) {
        positions[i] = champs.indexOf(QLatin1String(colonnes[i]));
        if (positions[i] < 0)
            throw EErreurBase(QStringLiteral("Erreur : le champ « %1 » n'existe pas dans le "
                                             "résultat de la requête.")
                                  .arg(QLatin1String(colonnes[i]))
                                  .toStdString());
    }
    std::vector<QByteArray> textes(colonnes.size());
    while (!Eof()) {
        for (size_t i = 0; i < positions.size(); ++i) {
            const QVariant valeur = requete.value(positions[i]);
            if (valeur.isNull()) {
                brute[i] = QByteArrayView();
            } else {
                textes[i] = valeur.toString().toUtf8();
                brute[i] = QByteArrayView(textes[i].constData(), textes[i].size());
            }
        }
        ligne(brute);
        Suivant();
    }
}
