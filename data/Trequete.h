#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <utility>
#include <vector>

#include "data/EErreurBase.h"

// One statement on the connection. The SQL text is a list of lines joined with line
// breaks, blanks kept; parameters are bound by name.
class TRequete {
  public:
    explicit TRequete(const QString& nomConnexion);

    QStringList SQL;
    QString Texte() const { return SQL.join(QLatin1Char('\n')); }

    void ParamEntier(const QString& nom, qint32 valeur);
    void ParamTexte(const QString& nom, const QString& valeur);  // a null text binds as ""
    // Bound as the text "yyyy-MM-dd hh:mm:ss.zzz"; an invalid QDateTime binds NULL.
    void ParamDate(const QString& nom, const QDateTime& valeur);
    // NULL, for a text column that has no value yet.
    void ParamNul(const QString& nom);

    // A statement that returns no rows; gives the number of rows affected.
    int ExecSQL();
    // The id the database gave the row the last ExecSQL inserted (invalid when none).
    QVariant DernierId() const { return dernierId; }

    // A SELECT: open, walk, read fields by name (case-insensitive), close.
    void Ouvrir();
    bool Eof() const;
    void Suivant();
    // Counts the rows of the whole result, wherever the walk stands, then goes back to the
    // first row (the statement runs again).
    int NombreLignes();
    QSqlRecord Ligne() const;
    QVariant Champ(const QString& nom) const;
    void Fermer();

    // For a long result: walks it from the current row to the end, giving the named
    // columns of each row as UTF-8 bytes (a null view for NULL), valid until the next row,
    // then closes the query, also when the walk fails. On SQLite the rows come straight
    // from the engine's statement, without a QVariant per field; `colonneUnique` (an
    // integer column that tells the rows apart) checks that the statement stands on the
    // query's row before reading it so.
    using TLigneBrute = std::vector<QByteArrayView>;
    void ParcourirBrut(const std::vector<const char*>& colonnes, const char* colonneUnique,
                       const std::function<void(const TLigneBrute&)>& ligne);
    // The same walk from the start of the statement, which it opens itself: on the
    // server, the rows come from the server as it sends them, never all held at once.
    void OuvrirEtParcourirBrut(const std::vector<const char*>& colonnes, const char* colonneUnique,
                               const std::function<void(const TLigneBrute&)>& ligne);
    // Off: ParcourirBrut and OuvrirEtParcourirBrut read through QSqlQuery like every other reader
    // (tests compare).
    static inline bool LectureDirecte = true;

    // The underlying query.
    QSqlQuery& Requete() { return requete; }

  private:
    void DefinirParametre(const QString& nom, const QVariant& valeur);
    // Checks the connection (opening it again when the server dropped it, unless the
    // caller does it itself) and the parameters' names; gives the statement's text.
    QString AvantExecution(bool verifierConnexion = true);
    void Preparer();
    void Avancer();
    int Relancer();
    QString nomConnexion;
    QSqlQuery requete;
    int ligne = 0;  // rows read since the statement ran; 1 on the first row
    bool prepare = false;
    bool eof = true;
    QVariant dernierId;
    std::vector<std::pair<QString, QVariant>> parametres;
};
