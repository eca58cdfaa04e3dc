#pragma once

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>
#include <vector>

#include "data/EErreurBase.h"

// A table cursor: scans one table in the order of its selected index or field list.
class TCurseur {
  public:
    TCurseur(const QString& nomConnexion);

    QString TableName;
    QString IndexName;        // the index name without its table prefix: "ID", "OnlyOne"
    QString IndexFieldNames;  // replaces IndexName when set, e.g. "NOM"
    bool ReadOnly = false;

    QString NomConnexion() const { return nomConnexion; }
    bool Active() const { return actif; }
    void Ouvrir();  // checks that the table exists
    // Raises EErreurBase naming the first of these columns that the table lacks.
    void VerifierColonnes(const QStringList& colonnes) const;
    void Fermer();

    // A range: the walks that follow read only the rows whose field equals the value, in
    // the same order. It stays until AnnulerPlage, which every full walk starts with.
    void DefinirPlage(const QString& champ, const QVariant& valeur);
    void AnnulerPlage();
    void Premier();
    void Suivant();
    bool Eof() const;
    QSqlRecord Ligne() const;
    // A field of the current row by name, case-insensitively. Each name's position in the
    // walk's rows is looked up once per walk: a long walk reads its fields by position,
    // without building a QSqlRecord per row.
    QVariant Champ(const QString& nom) const;

    // Select an ordering the way the opening steps do: the index "<Table>_<nom>" must exist.
    void SelectionnerIndex(const QString& nomIndex);
    // Order by a field list ("NOM", or "A;B"); replaces the index.
    void SelectionnerChamps(const QString& champs);

  private:
    QStringList ColonnesIndex(const QString& nomIndex) const;
    void Avancer();
    void VerifierLigneCourante() const;
    QString nomConnexion;
    QString indexColonnes;  // the index whose columns colonnesIndex holds
    QStringList colonnesIndex;
    bool actif = false;
    QString plageChamp;  // empty: no range
    QVariant plageValeur;
    std::unique_ptr<QSqlQuery> parcours;
    mutable std::vector<std::pair<QString, int>> positions;  // the walk's fields read so far
    bool eof = true;
};

// Every row of the cursor's walk from its first, in its order, each read into a record
// from the current row.
template <class TRecord>
std::vector<std::unique_ptr<TRecord>> LireRecords(TCurseur& curseur) {
    std::vector<std::unique_ptr<TRecord>> records;
    for (curseur.Premier(); !curseur.Eof(); curseur.Suivant())
        records.push_back(std::make_unique<TRecord>(curseur));
    return records;
}
