#pragma once

#include <QString>
#include <stdexcept>

// What a data error is, for the decisions taken on it (waiting and trying again, opening
// the connection again, what the user is told); the engine's own code stays beside it.
enum class TGenreErreur {
    Autre,
    Occupee,          // another copy or workstation holds the base: worth waiting for
    ConnexionPerdue,  // the server dropped the connection, or it was closed on purpose
    DroitManquant,    // the account may not do it
    TexteTropLong,    // a text longer than its column takes
    NoeudNonPret,     // a cluster node that is not ready to serve
    LectureSeule,     // the base, or its disk, takes no writing
    DisquePlein,
    // The base's file deleted, replaced or moved under the running program, or its journal
    // impossible to create: the text is a French sentence naming the file or its folder.
    FichierBase,
    // The connection broke during COMMIT and the change's outcome could not be read back: it
    // may have been made.
    IssueInconnue,
    // A row with the same key is already there.
    Doublon,
};

// Raised for every failure of the database layer; the text is in French and carries
// the engine's own text after it, the kind and the engine's code beside it (0 when the
// engine gave none).
class EErreurBase : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    explicit EErreurBase(const QString& texte, TGenreErreur genre = TGenreErreur::Autre,
                         int code = 0)
        : std::runtime_error(texte.toStdString()), genre(genre), code(code) {}
    // The same kind and code under another text (an operation that adds its own words).
    EErreurBase(const QString& texte, const EErreurBase& cause)
        : EErreurBase(texte, cause.genre, cause.code) {}

    TGenreErreur Genre() const { return genre; }
    int Code() const { return code; }

  private:
    TGenreErreur genre = TGenreErreur::Autre;
    int code = 0;
};
