#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <vector>

// Reading the fields of a row: by name, and the stored date-times.

// Date-times are stored as local-time text in this form.
inline constexpr const char* FormatDateBase = "yyyy-MM-dd hh:mm:ss.zzz";
// Day 0 of the date-time values: what a NULL date reads as.
QDateTime DateZero();
// NULL or empty reads as DateZero(); text in another form raises EErreurBase.
QDateTime LireDateBase(const QVariant& valeur);
// A field of a row by name, case-insensitively; raises EErreurBase when there is none,
// saying where it was looked for (`ou`).
QVariant ChampLigne(const QSqlRecord& ligne, const QString& nom,
                    const QString& ou = QStringLiteral("la ligne lue"));

class TCurseur;

// The row a record is read from: a QSqlRecord; a cursor's current row, whose fields are
// read by their position in the walk; or the named fields of a row read straight from the
// engine, as UTF-8 (a null view for NULL).
class TChampsLigne {
  public:
    TChampsLigne(const QSqlRecord& ligne) : ligne(&ligne) {}
    TChampsLigne(const TCurseur& curseur) : curseur(&curseur) {}
    // The previous row's text of each field, with its length in UTF-8, kept over one walk.
    using TPrecedents = std::vector<std::pair<qsizetype, QString>>;
    // precedents, when given (one per name): a field equal to the previous row's gives that
    // row's text again, shared, instead of a new copy (agency and user repeat over a list).
    TChampsLigne(const std::vector<const char*>& noms, const std::vector<QByteArrayView>& brute,
                 TPrecedents* precedents = nullptr)
        : noms(&noms), brute(&brute), precedents(precedents) {}
    // A field by name, case-insensitively; raises EErreurBase when there is none. A field
    // read straight from the engine is its text (an integer reads as its digits).
    QVariant Champ(const QString& nom) const;
    // Champ(nom).toInt(), without going through a text when the field is read straight
    // from the engine.
    int Entier(const QString& nom) const;

  private:
    const QSqlRecord* ligne = nullptr;
    const TCurseur* curseur = nullptr;
    const std::vector<const char*>* noms = nullptr;
    const std::vector<QByteArrayView>* brute = nullptr;
    TPrecedents* precedents = nullptr;
    // The position of a field read straight from the engine.
    size_t Position(const QString& nom) const;
    mutable size_t suivant = 0;  // the field after the last one read
};
