#pragma once

#include <QString>
#include <vector>

// A text that comes from the sending service (its answer, its error), as it may be
// shown, stored and logged: the service key masked wherever the service echoes it, then
// cut to the length an outcome may have.
class TTexteExterieur {
  public:
    // An outcome is stored and shown cut to this length: a service's answer may be long.
    static constexpr qsizetype LongueurMaximale = 2000;

    explicit TTexteExterieur(const QString& cle);
    QString operator()(QString texte) const;

  private:
    // The ways one character of the key may stand in the text.
    struct TFormes {
        QString brute;                   // as typed (case-sensitive)
        std::vector<QString> echappees;  // JSON and percent escapes (hex in either case)
    };
    std::vector<TFormes> caracteres;
    // Where the key, or the key cut by the end of the text, starts at `debut`: the end of
    // what stands for it, or -1.
    qsizetype FinCle(const QString& texte, qsizetype debut) const;
};
