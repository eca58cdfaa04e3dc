#pragma once

#include <QString>
#include <map>

// The tag dictionary of the send window: tag text "<Section_Cle>" -> value. Ordered by
// plain UTF-16 code units (QString's operator<), so "<Client_...>" tags come before
// "<Dossier_...>" and capitals before small letters.
class TBalises {
  public:
    using TEntrees = std::map<QString, QString>;

    // 64 Ki characters: the longest message, and the longest value kept for a tag.
    static constexpr qsizetype LongueurMaximale = 65536;

    static QString TexteBalise(const QString& section, const QString& cle) {
        return QLatin1Char('<') + section + QLatin1Char('_') + cle + QLatin1Char('>');
    }

    // Inserts the entry or replaces the value of an existing one; a value is cut at
    // LongueurMaximale characters (it could not fit in a message anyway).
    void Definir(const QString& balise, const QString& valeur) {
        entrees[balise] = valeur.left(LongueurMaximale);
    }
    // The value; an absent tag is first inserted with an empty value.
    QString Valeur(const QString& balise) {
        auto [it, insere] = entrees.try_emplace(balise, QString(""));
        return it->second;
    }
    bool Contient(const QString& balise) const { return entrees.count(balise) != 0; }
    const TEntrees& Entrees() const { return entrees; }
    std::size_t Nombre() const { return entrees.size(); }

  private:
    TEntrees entrees;
};
