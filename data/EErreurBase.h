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
