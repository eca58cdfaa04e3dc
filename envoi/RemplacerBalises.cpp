#include "envoi/RemplacerBalises.h"

#include <algorithm>
#include <optional>
#include <vector>

EMessageTropLong::EMessageTropLong()
    : std::runtime_error(
          "Erreur : le message dépasse 65 536 caractères après le remplacement des balises.") {}

namespace {

void VerifierLongueur(const QString& texte) {
    if (texte.size() > TBalises::LongueurMaximale) throw EMessageTropLong();
}

// Replaces every occurrence of the tag in the text as it stands, left to right; the text
// is built piece by piece, so that its growth is checked at every occurrence. False when
// the tag does not occur.
bool RemplacerOccurrences(QString& resultat, const QString& balise, const QString& valeur) {
    // An empty key would match between every two characters.
    if (balise.isEmpty()) return false;
    qsizetype trouvee = resultat.indexOf(balise);
    if (trouvee < 0) return false;
    QString suivant;
    qsizetype debut = 0;
    for (; trouvee >= 0; trouvee = resultat.indexOf(balise, debut)) {
        suivant += QStringView(resultat).mid(debut, trouvee - debut);
        suivant += valeur;
        VerifierLongueur(suivant);
        debut = trouvee + balise.size();
    }
    suivant += QStringView(resultat).mid(debut);
    VerifierLongueur(suivant);
    resultat = std::move(suivant);
    return true;
}

// The pieces of the text that run from a "<" to the first ">" after it, sorted, each once.
// A tag that starts with "<" and holds a ">" can occur only where the text holds the piece
// its own text starts with.
std::vector<QStringView> Morceaux(QStringView texte) {
    std::vector<QStringView> morceaux;
    qsizetype fermant = -1;  // the first ">" after the place looked at
    for (qsizetype i = texte.size() - 1; i >= 0; --i) {
        if (texte[i] == u'<' && fermant > i) morceaux.push_back(texte.mid(i, fermant - i + 1));
        if (texte[i] == u'>') fermant = i;
    }
    std::sort(morceaux.begin(), morceaux.end());
    morceaux.erase(std::unique(morceaux.begin(), morceaux.end()), morceaux.end());
    return morceaux;
}

// Past this many different pieces, trying every tag in turn costs less.
constexpr std::size_t MorceauxMax = 64;

}  // namespace

QString RemplacerBalises(const QString& texte, const TBalises& balises) {
    VerifierLongueur(texte);
    QString resultat = texte;
    std::optional<QString> derniere;  // every tag up to this one is done
    // A file may give thousands of tags and a text holds a few: when every tag is between
    // chevrons, go from one tag that the text may hold to the next, in the same order.
    if (balises.ToutesEntreChevrons()) {
        std::vector<QStringView> morceaux = Morceaux(resultat);
        while (morceaux.size() <= MorceauxMax) {
            derniere = balises.Suivante(morceaux, derniere);
            if (!derniere) return resultat;
            if (RemplacerOccurrences(resultat, *derniere, balises.ValeurDe(*derniere)))
                morceaux = Morceaux(resultat);
        }
    }
    for (const auto& [balise, valeur] : balises.Entrees())
        if (!derniere || *derniere < balise) RemplacerOccurrences(resultat, balise, valeur);
    return resultat;
}
