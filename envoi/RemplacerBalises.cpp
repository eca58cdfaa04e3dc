#include "envoi/RemplacerBalises.h"

EMessageTropLong::EMessageTropLong()
    : std::runtime_error(
          "Erreur : le message dépasse 65 536 caractères après le remplacement des balises.") {}

namespace {

void VerifierLongueur(const QString& texte) {
    if (texte.size() > TBalises::LongueurMaximale) throw EMessageTropLong();
}

}  // namespace

QString RemplacerBalises(const QString& texte, const TBalises& balises) {
    VerifierLongueur(texte);
    QString resultat = texte;
    for (const auto& [balise, valeur] : balises.Entrees()) {
        // An empty key would match between every two characters.
        if (balise.isEmpty()) continue;
        qsizetype trouvee = resultat.indexOf(balise);
        if (trouvee < 0) continue;
        // Built piece by piece, so that the growth is checked at every occurrence.
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
    }
    return resultat;
}
