#pragma once

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "data/Champsbase.h"
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
    // From the current row to the end of the walk, each row's fields `colonnes` read
    // straight from SQLite's statement, without a QVariant per field of the row; the first
    // column must be an integer that tells the rows apart. Ends the walk. False, having
    // read nothing, where that is not possible (another engine, or direct reading off).
    bool ParcourirBrut(const std::vector<const char*>& colonnes,
                       const std::function<void(const TChampsLigne&)>& ligne);

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
// (TRecord::Colonnes names the fields it reads, its identifier first).
template <class TRecord>
std::vector<std::unique_ptr<TRecord>> LireRecords(TCurseur& curseur) {
    std::vector<std::unique_ptr<TRecord>> records;
    const auto lire = [&](const TChampsLigne& ligne) {
        records.push_back(std::make_unique<TRecord>(ligne));
    };
    curseur.Premier();
    if (!curseur.ParcourirBrut(TRecord::Colonnes, lire))
        for (; !curseur.Eof(); curseur.Suivant()) lire(curseur);
    return records;
}
