#pragma once

#include <QString>
#include <stdexcept>

// Raised for every failure of the database layer; the text is in French and carries
// the engine's own text after it.
class EErreurBase : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    explicit EErreurBase(const QString& texte) : std::runtime_error(texte.toStdString()) {}
};

// A fault of the base's file itself, told by the engine's code rather than its words: the
// file deleted, replaced or moved under the running program, or its journal impossible to
// create. The text is a French sentence naming the file or its folder, the engine's text
// after it in brackets.
class EErreurFichierBase : public EErreurBase {
  public:
    using EErreurBase::EErreurBase;
};
