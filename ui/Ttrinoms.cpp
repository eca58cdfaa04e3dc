#include "ui/Ttrinoms.h"

#include <QComboBox>
#include <QLocale>
#include <algorithm>
#include <numeric>

TTriNoms::TTriNoms() : collation(QLocale()) { collation.setCaseSensitivity(Qt::CaseInsensitive); }

std::vector<int> TTriNoms::Remplir(QComboBox* liste, const QStringList& noms) const {
    const int avant = liste->currentIndex();
    // The collator compares two names only as far as their first difference, which costs
    // less than a whole sort key per name; both give the same order.
    std::vector<int> ordre(static_cast<size_t>(noms.size()));
    std::iota(ordre.begin(), ordre.end(), 0);
    std::stable_sort(ordre.begin(), ordre.end(),
                     [&](int a, int b) { return collation.compare(noms.at(a), noms.at(b)) < 0; });

    QStringList tries;
    tries.reserve(noms.size());
    std::vector<int> places(ordre.size());
    const int debut = liste->count();
    for (size_t i = 0; i < ordre.size(); ++i) {
        tries << noms.at(ordre[i]);
        places[static_cast<size_t>(ordre[i])] = debut + static_cast<int>(i);
    }
    liste->addItems(tries);
    if (avant < 0) liste->setCurrentIndex(-1);
    return places;
}

int TTriNoms::Inserer(QComboBox* liste, const QString& nom) const {
    const int avant = liste->currentIndex();
    int bas = 0, haut = liste->count();
    while (bas < haut) {
        const int milieu = bas + (haut - bas) / 2;
        if (collation.compare(nom, liste->itemText(milieu)) < 0)
            haut = milieu;
        else
            bas = milieu + 1;
    }
    liste->insertItem(bas, nom);
    if (avant < 0) liste->setCurrentIndex(-1);
    return bas;
}
