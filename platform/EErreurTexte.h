#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <stdexcept>

// An error that carries the program's own text, in French: whoever shows it takes the
// text as it was written. what() gives the same text in UTF-8, for the code that knows
// only the standard exceptions.
class EErreurTexte : public std::runtime_error {
  public:
    explicit EErreurTexte(const QString& texte)
        : std::runtime_error(texte.toUtf8().constData()), texte(texte) {}
    const QString& Texte() const { return texte; }

  private:
    QString texte;
};

// The text of any error: the program's own as it was written, any other one's (the
// database's, the standard library's) read as UTF-8.
inline QString TexteErreur(const std::exception& erreur) {
    if (const auto* notre = dynamic_cast<const EErreurTexte*>(&erreur)) return notre->Texte();
    return QString::fromUtf8(erreur.what());
}
