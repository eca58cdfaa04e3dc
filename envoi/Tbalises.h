#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <optional>
#include <set>
#include <utility>
#include <vector>

// The tag dictionary of the send window: tag text "<Section_Cle>" -> value. Its order is
// plain UTF-16 code units (QString's operator<), so "<Client_...>" tags come before
// "<Dossier_...>" and capitals before small letters. A parameter file may give thousands
// of tags: they are hashed, and put in order only when the whole list is walked.
class TBalises {
  public:
    using TEntrees = std::vector<std::pair<QString, QString>>;

    // 64 Ki characters: the longest message, and the longest value kept for a tag.
    static constexpr qsizetype LongueurMaximale = 65536;

    static QString TexteBalise(QStringView section, QStringView cle);

    // Inserts the entry or replaces the value of an existing one; a value is cut at
    // LongueurMaximale characters (it could not fit in a message anyway).
    void Definir(const QString& balise, const QString& valeur);
    // The same from a view of the value, copied once.
    void Definir(const QString& balise, QStringView valeur);
    // The value; an absent tag is first inserted with an empty value.
    QString Valeur(const QString& balise);
    // Room for this many tags in all, before a file's thousands are set.
    void Reserver(qsizetype nombre) { valeurs.reserve(nombre); }
    bool Contient(const QString& balise) const { return valeurs.contains(balise); }
    // Every entry, in order.
    const TEntrees& Entrees() const;
    std::size_t Nombre() const { return std::size_t(valeurs.size()); }

    // Whether every tag starts with "<" and holds a ">", as the parameter file's all do.
    bool ToutesEntreChevrons() const { return autres == 0; }
    // With every tag between chevrons: the first tag after `apres` (from the first when
    // absent) that starts with one of the pieces, each a "<" up to its first ">".
    std::optional<QString> Suivante(const std::vector<QStringView>& morceaux,
                                    const std::optional<QString>& apres) const;
    // The value of a tag, the empty text when absent (nothing is inserted).
    QString ValeurDe(const QString& balise) const { return valeurs.value(balise); }

  private:
    void Ajoutee(const QString& balise);

    QHash<QString, QString> valeurs;
    // The tags that go on past their first ">", in order: the few a piece may begin.
    std::set<QString, std::less<>> longues;
    std::size_t autres = 0;  // tags that are not between chevrons
    mutable TEntrees ordre;  // Entrees(), built when asked for after a change
    mutable bool ordonnee = true;
};
