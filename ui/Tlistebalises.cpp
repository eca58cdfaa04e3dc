#include "ui/Tlistebalises.h"

#include <algorithm>

TListeBalises::TListeBalises() : collation(QLocale()) {
    collation.setCaseSensitivity(Qt::CaseSensitive);
}

void TListeBalises::Ajouter(const QString& balise) {
    const auto avant = [this](const QString& a, const QString& b) {
        const int c = collation.compare(a, b);
        // Texts the collation holds equal but that differ stay distinct, in code-unit order.
        return c != 0 ? c < 0 : a < b;
    };
    const auto place = std::lower_bound(textes.begin(), textes.end(), balise, avant);
    if (place != textes.end() && *place == balise) return;
    textes.insert(place, balise);
}
