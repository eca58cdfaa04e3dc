#include "ui/Tparametreshote.h"

#include <iterator>

const TParametresHote::TCles& TParametresHote::Section(const QString& nom) const {
    static const TCles aucune;
    if (nom == u"Societe") return societe;
    if (nom == u"Dossier") return dossier;
    if (nom == u"Client") return client;
    return aucune;
}

TParametresHote TParametresHote::Lire(const QString& chemin) {
    const TIniFile ini(chemin);
    const QString config = QStringLiteral("Config");
    const QString vide = QStringLiteral("");
    TParametresHote p;
    p.agence = ini.ReadString(config, QStringLiteral("Agence"), vide);
    p.utilisateur = ini.ReadString(config, QStringLiteral("Utilisateur"), vide);
    p.categorie = ini.ReadInteger(config, QStringLiteral("Categorie"), 0);
    p.expediteur = ini.ReadString(config, QStringLiteral("Expediteur"), vide);
    p.numero = ini.ReadString(config, QStringLiteral("Numero"), vide);
    // The copy shares the reader's characters, so the views stay valid once it is gone.
    p.texte = ini.Texte();
    TCles* sections[] = {&p.societe, &p.dossier, &p.client};
    for (size_t i = 0; i < std::size(sections); ++i)
        *sections[i] = ini.VuesSection(QLatin1String(SectionsBalises[i]));
    return p;
}
