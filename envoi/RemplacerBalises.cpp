#include "envoi/RemplacerBalises.h"

QString RemplacerBalises(const QString& texte, const TBalises& balises) {
    QString resultat = texte;
    for (const auto& [balise, valeur] : balises.Entrees()) {
        // An empty key would match between every two characters.
        if (balise.isEmpty()) continue;
        resultat.replace(balise, valeur, Qt::CaseSensitive);
    }
    return resultat;
}
