#include "ui/Tlistebalises.h"

#include <QCollatorSortKey>
#include <algorithm>
#include <vector>

#include "envoi/Tbalises.h"

TListeBalises::TListeBalises() : collation(QLocale()) {
    collation.setCaseSensitivity(Qt::CaseSensitive);
}

void TListeBalises::Ajouter(const QString& balise) {
    textes.append(balise);
    trie = false;
}

void TListeBalises::AjouterSection(const QString& section, const TIniFile::TEntrees& cles) {
    if (cles.isEmpty()) return;
    enAttente.push_back({section, cles});
    trie = false;
}

const QStringList& TListeBalises::Textes() const {
    if (trie) return textes;
    for (const TSectionEnAttente& attente : enAttente)
        for (const auto& cle : attente.cles)
            textes.append(TBalises::TexteBalise(attente.section, cle.first));
    enAttente.clear();
    // One sort key per text; texts the collation holds equal but that differ stay
    // distinct, in code-unit order, and a repeated text comes next to itself.
    std::vector<std::pair<QCollatorSortKey, QString>> cles;
    cles.reserve(textes.size());
    for (const QString& texte : textes) cles.emplace_back(collation.sortKey(texte), texte);
    std::sort(cles.begin(), cles.end(), [](const auto& a, const auto& b) {
        const int c = a.first.compare(b.first);
        return c != 0 ? c < 0 : a.second < b.second;
    });
    textes.clear();
    for (const auto& cle : cles)
        if (textes.isEmpty() || textes.back() != cle.second) textes.append(cle.second);
    trie = true;
    return textes;
}
