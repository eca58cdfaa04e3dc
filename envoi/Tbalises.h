#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/TIniFile.h"

// The tag dictionary of the send window: tag text "<Section_Cle>" -> value. Its order is
// plain UTF-16 code units (QString's operator<), so "<Client_...>" tags come before
// "<Dossier_...>" and capitals before small letters. A parameter file may give thousands
// of tags and a template uses a few: a file's sections are looked up in the file when a
// tag is asked for, and the whole list is written and put in order only when walked.
class TBalises {
  public:
    using TEntrees = std::vector<std::pair<QString, QString>>;

    // 64 Ki characters: the longest message, and the longest value kept for a tag.
    static constexpr qsizetype LongueurMaximale = 65536;

    static QString TexteBalise(QStringView section, QStringView cle);

    // Inserts the entry or replaces the value of an existing one; a value is cut at
    // LongueurMaximale characters (it could not fit in a message anyway).
    void Definir(const QString& balise, const QString& valeur);
    // Every key of the file's section as the tag "<section_key>" with its value, as if each
    // were set by Definir in file order (after every entry set so far); the file is kept.
    void DefinirSection(const std::shared_ptr<const TIniFile>& fichier, const QString& section);
    // The value; an absent tag is first inserted with an empty value.
    QString Valeur(const QString& balise);
    bool Contient(const QString& balise) const;
    // Every entry, in order.
    const TEntrees& Entrees() const;
    // As many as Entrees() has: a file's thousands are written to count them.
    std::size_t Nombre() const { return Entrees().size(); }

    // Whether every tag starts with "<" and holds a ">", as the parameter file's all do.
    bool ToutesEntreChevrons() const { return autres == 0; }
    // With every tag between chevrons: the first tag after `apres` (from the first when
    // absent) that starts with one of the pieces, each a "<" up to its first ">".
    std::optional<QString> Suivante(const std::vector<QStringView>& morceaux,
                                    const std::optional<QString>& apres) const;
    // The value of a tag, the empty text when absent (nothing is inserted).
    QString ValeurDe(const QString& balise) const;

  private:
    // A file's section whose keys give tags.
    struct TSection {
        std::shared_ptr<const TIniFile> fichier;
        QString nom;
        QString prefixe;  // "<nom_"
    };
    void Ajoutee(const QString& balise);
    // The value a file's section gives the tag, cut as Definir cuts it; none when no
    // section does. The latest section first.
    std::optional<QString> ValeurFichier(const QString& balise) const;

    QHash<QString, QString> valeurs;  // the entries set by Definir or Valeur, over the files'
    std::vector<TSection> sections;
    // The tags that go on past their first ">", in order: the few a piece may begin.
    std::set<QString, std::less<>> longues;
    std::size_t autres = 0;  // tags that are not between chevrons
    mutable TEntrees ordre;  // Entrees(), built when asked for after a change
    mutable bool ordonnee = true;
};
