#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <array>
#include <functional>

class TRequete;

class THistorique {
  public:
    // NULL columns read as 0, day 0 (30 December 1899) or the empty text.
    explicit THistorique(const QSqlRecord& ligne);

    qint32 id() const { return Fid; }
    const QString& agence() const { return Fagence; }
    const QString& utilisateur() const { return Futilisateur; }
    const QDateTime& date_creation() const { return Fdate_creation; }
    const QString& expediteur() const { return Fexpediteur; }
    const QString& destinataire() const { return Fdestinataire; }
    const QString& numero() const { return Fnumero; }
    const QString& message() const { return Fmessage; }
    const QDateTime& date_envoi() const { return Fdate_envoi; }
    const QString& etat() const { return Fetat; }

    // For a long result: the eight fields a record gives to read, in their order (agence,
    // utilisateur, date_creation, expediteur, destinataire, message, date_envoi, etat), as
    // the row holds them: UTF-8 bytes, a null view for NULL, valid only until the next row.
    using TColonnesBrutes = std::array<QByteArrayView, 8>;
    // Opens a query on Historique and reads all its rows, without a record object or a
    // text conversion per row, then closes the query.
    static void ParcourirLignes(TRequete& requete,
                                const std::function<void(const TColonnesBrutes&)>& ligne);

    // The columns of a new row that the caller gives.
    struct TNouvelleLigne {
        QString agence = {}, utilisateur = {}, expediteur = {}, destinataire = {}, numero = {},
                message = {};
        QDateTime date_envoi = {};
        QString etat = {};
    };
    // Appends one row; date_creation is now, the id comes from the database.
    static void AjouterHistorique(const TNouvelleLigne& ligne);
    // Appends and commits the row of a send about to leave, its etat NULL ("En cours"; the
    // etat of `ligne` is not used), and gives its id. Raises EErreurBase when the row
    // cannot be written now (file or folder read-only, base held by another copy, disk
    // full, a column missing): the message must then not leave.
    static qint32 AjouterEnCours(const TNouvelleLigne& ligne);
    // Writes the outcome of a send into its row; raises EErreurBase when that row did not
    // take it (the row then stays "En cours").
    static void EnregistrerEtat(qint32 id, const QString& etat);

  private:
    // Gives the new row's id.
    static qint32 Inserer(const TNouvelleLigne& ligne, bool enCours);

    qint32 Fid = 0;
    QString Fagence, Futilisateur;
    QDateTime Fdate_creation;
    QString Fexpediteur, Fdestinataire, Fnumero, Fmessage;
    QDateTime Fdate_envoi;
    QString Fetat;
};
