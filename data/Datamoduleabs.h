#pragma once

#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <optional>

#include "data/Champsbase.h"
#include "data/EErreurBase.h"
#include "data/Moteur.h"
#include "data/Tcurseur.h"
#include "data/Trequete.h"
#include "data/Ttransactionimmediate.h"

// The data module: the one connection to its base and the five table cursors. The base is
// sms.abs (SQLite) beside the executable (in the shared data folder for a copy installed on
// Windows, EmplacementBase.h), or the MariaDB server a connexion.ini beside the executable
// names; the module chooses that engine when it is created, and everything below it asks
// the engine through the seam of Moteur.h.
class TDataModuleAbs {
  public:
    // dossier: the folder that holds sms.abs and connexion.ini; empty means the executable's
    // folder, except that the base of a copy installed on Windows is in the shared data
    // folder (DossierBase).
    // nomFichier: another file name, for the administration tool only; a name ending in
    // ".ini" is a connection file naming a server.
    // connexionPossible: false makes the tool open the named file even when a
    // connexion.ini stands beside it.
    explicit TDataModuleAbs(const QString& dossier = QString(),
                            const QString& nomFichier = QStringLiteral("sms.abs"),
                            bool connexionPossible = true);
    ~TDataModuleAbs();
    TDataModuleAbs(const TDataModuleAbs&) = delete;
    TDataModuleAbs& operator=(const TDataModuleAbs&) = delete;

    static constexpr const char* NomBase = "databaseSMS";

    QSqlDatabase Database() const;
    // The connection's name in QSqlDatabase: "databaseSMS" for the first module.
    QString NomConnexion() const;
    QString CheminFichier() const;
    // connexion.ini in the same folder: when it exists, the base is on that server.
    QString CheminConnexion() const;
    bool SurServeur() const;
    // "file:<percent-encoded path>?mode=rw": opening never creates the file.
    static QString NomUri(const QString& chemin);

    TCurseur tblHistorique;
    TCurseur tblConfigurationApi;
    TCurseur tblCategorie;
    TCurseur tblParametres;
    TCurseur tblTemplate;

    void OuvrirBase();
    void FermerBase();
    std::unique_ptr<TRequete> CreerRequete();
    // The id of a new row of `table`, or nothing when the engine gives it at the INSERT
    // (bind a null id, then read the query's DernierId).
    std::optional<qint32> ProchainId(TCurseur& table);

  private:
    void Connecter();
    QString dossier;
    QString nomFichier;
    QString nomConnexion;
    bool serveur = false;
    std::shared_ptr<TMoteur> moteur;
};

// The one global instance; set by start-up (and by tests).
extern TDataModuleAbs* DataModuleAbs;
