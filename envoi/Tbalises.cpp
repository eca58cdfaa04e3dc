#include "envoi/Tbalises.h"

#include <algorithm>

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

void TBalises::Definir(const QString& balise, const QString& valeur) {
    const qsizetype avant = valeurs.size();
    valeurs[balise] = valeur.left(LongueurMaximale);
    ordonnee = false;
    if (valeurs.size() != avant) Ajoutee(balise);
}

void TBalises::Definir(const QString& balise, QStringView valeur) {
    Definir(balise, valeur.first(std::min(valeur.size(), LongueurMaximale)).toString());
}

QString TBalises::Valeur(const QString& balise) {
    const qsizetype avant = valeurs.size();
    QString& valeur = valeurs[balise];
    if (valeurs.size() != avant) {
        valeur = QStringLiteral("");
        Ajoutee(balise);
    }
    return valeur;
}

const TBalises::TEntrees& TBalises::Entrees() const {
    if (!ordonnee) {
        ordre.clear();
        ordre.reserve(valeurs.size());
        for (auto it = valeurs.cbegin(); it != valeurs.cend(); ++it)
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
        if ((!apres || *apres < entiere) && valeurs.contains(entiere)) retenir(entiere);
        // The longer tags that start with the piece follow one another in the order.
        const auto longue = apres && QStringView(*apres) >= morceau ? longues.upper_bound(*apres)
                                                                    : longues.lower_bound(morceau);
        if (longue != longues.end() && longue->startsWith(morceau)) retenir(*longue);
    }
    return premiere;
}
