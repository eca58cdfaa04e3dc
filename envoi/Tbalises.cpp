#include "envoi/Tbalises.h"

#include <algorithm>
#include <iterator>

QString TBalises::TexteBalise(QStringView section, QStringView cle) {
    // Written in place in one allocation: a file may give thousands of tags.
    QString texte(section.size() + cle.size() + 3, Qt::Uninitialized);
    QChar* p = texte.data();
    *p++ = u'<';
    p = std::copy(section.begin(), section.end(), p);
    *p++ = u'_';
    p = std::copy(cle.begin(), cle.end(), p);
    *p = u'>';
    return texte;
}

void TBalises::Ajoutee(const QString& balise) {
    ordonnee = false;
    const qsizetype fermant = balise.startsWith(u'<') ? balise.indexOf(QChar(u'>')) : -1;
    if (fermant < 0)
        ++autres;
    else if (fermant + 1 < balise.size())
        longues.insert(balise);
}

namespace {

QString Coupee(const QString& valeur) { return valeur.left(TBalises::LongueurMaximale); }

}  // namespace

std::optional<QString> TBalises::ValeurFichier(const QString& balise) const {
    for (auto s = sections.crbegin(); s != sections.crend(); ++s) {
        const qsizetype debut = s->prefixe.size();
        if (balise.size() > debut + 1 && balise.back() == u'>' && balise.startsWith(s->prefixe)) {
            const QString cle = balise.sliced(debut, balise.size() - debut - 1);
            if (s->fichier->ValueExists(s->nom, cle))
                return Coupee(s->fichier->ReadString(s->nom, cle, QString()));
        }
    }
    return std::nullopt;
}

bool TBalises::Contient(const QString& balise) const {
    return valeurs.contains(balise) || ValeurFichier(balise).has_value();
}

void TBalises::Definir(const QString& balise, const QString& valeur) {
    const qsizetype avant = valeurs.size();
    valeurs[balise] = Coupee(valeur);
    ordonnee = false;
    if (valeurs.size() != avant && !ValeurFichier(balise)) Ajoutee(balise);
}

void TBalises::DefinirSection(const std::shared_ptr<const TIniFile>& fichier,
                              const QString& section) {
    const TIniFile::TEntrees cles = fichier->ReadSectionValues(section);
    if (cles.isEmpty()) return;
    sections.push_back({fichier, section, QLatin1Char('<') + section + QLatin1Char('_')});
    // What was set before under one of the section's tags gives way to the file's value.
    for (auto it = valeurs.begin(); it != valeurs.end();)
        it = ValeurFichier(it.key()) ? valeurs.erase(it) : std::next(it);
    // Every tag of the file starts with "<" and ends with ">": only a key holding a ">"
    // makes a longer one.
    for (const auto& [cle, valeur] : cles)
        if (cle.contains(u'>')) longues.insert(TexteBalise(section, cle));
    ordonnee = false;
}

QString TBalises::Valeur(const QString& balise) {
    if (const auto it = valeurs.constFind(balise); it != valeurs.cend()) return *it;
    if (std::optional<QString> valeur = ValeurFichier(balise)) return *valeur;
    const QString vide = QStringLiteral("");
    valeurs.insert(balise, vide);
    Ajoutee(balise);
    return vide;
}

QString TBalises::ValeurDe(const QString& balise) const {
    if (const auto it = valeurs.constFind(balise); it != valeurs.cend()) return *it;
    if (std::optional<QString> valeur = ValeurFichier(balise)) return *valeur;
    return QString();
}

const TBalises::TEntrees& TBalises::Entrees() const {
    if (!ordonnee) {
        // The files' sections in the order they were given, then what was set over them.
        QHash<QString, QString> toutes;
        for (const TSection& s : sections)
            for (const auto& [cle, valeur] : s.fichier->ReadSectionValues(s.nom))
                toutes.insert(TexteBalise(s.nom, cle), Coupee(valeur));
        for (auto it = valeurs.cbegin(); it != valeurs.cend(); ++it)
            toutes.insert(it.key(), it.value());
        ordre.clear();
        ordre.reserve(toutes.size());
        for (auto it = toutes.cbegin(); it != toutes.cend(); ++it)
            ordre.emplace_back(it.key(), it.value());
        std::sort(ordre.begin(), ordre.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        ordonnee = true;
    }
    return ordre;
}

std::optional<QString> TBalises::Suivante(const std::vector<QStringView>& morceaux,
                                          const std::optional<QString>& apres) const {
    std::optional<QString> premiere;
    auto retenir = [&](const QString& balise) {
        if (!premiere || balise < *premiere) premiere = balise;
    };
    for (const QStringView morceau : morceaux) {
        const QString entiere = morceau.toString();
        if ((!apres || *apres < entiere) && Contient(entiere)) retenir(entiere);
        // The longer tags that start with the piece follow one another in the order.
        const auto longue = apres && QStringView(*apres) >= morceau ? longues.upper_bound(*apres)
                                                                    : longues.lower_bound(morceau);
        if (longue != longues.end() && longue->startsWith(morceau)) retenir(*longue);
    }
    return premiere;
}
