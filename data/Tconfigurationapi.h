#pragma once

#include <QSqlRecord>
#include <QString>

class TConfigurationApi {
  public:
    explicit TConfigurationApi(const QSqlRecord& ligne);
    // Every column, named: TConfigurationApi({.nom = ..., .url = ...}).
    struct TChamps {
        qint32 id = -1;
        // Initialised so that a field left out of a designated-initializer list is plainly empty.
        QString nom = {}, url = {}, cle = {}, cle_api = {}, numero = {}, message = {},
                expediteur = {}, date_envoi = {}, format_date = {}, statut_ok = {};
    };
    // For the administration tool, which provisions services: id -1 inserts a new row
    // under ProchainId, any other id rewrites that row.
    explicit TConfigurationApi(const TChamps& champs);

    qint32 id() const { return Fid; }
    const QString& nom() const { return Fnom; }
    const QString& url() const { return Furl; }
    const QString& cle() const { return Fcle; }
    const QString& cle_api() const { return Fcle_api; }
    const QString& numero() const { return Fnumero; }
    const QString& message() const { return Fmessage; }
    const QString& expediteur() const { return Fexpediteur; }
    const QString& date_envoi() const { return Fdate_envoi; }
    const QString& format_date() const { return Fformat_date; }
    const QString& statut_ok() const { return Fstatut_ok; }
    void setCle(const QString& cle) { Fcle = cle; }
    bool Sauvegarder();

  private:
    // One attempt; Sauvegarder runs it again after a conflict on the server.
    bool SauvegarderUneFois();
    qint32 Fid = -1;
    QString Fnom, Furl, Fcle, Fcle_api, Fnumero, Fmessage, Fexpediteur, Fdate_envoi, Fformat_date,
        Fstatut_ok;
};
