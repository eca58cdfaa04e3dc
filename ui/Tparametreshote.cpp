#include "ui/Tparametreshote.h"

TParametresHote::TCles TParametresHote::Section(const QString& nom) const {
    for (const char* section : SectionsBalises)
        if (fichier && nom == QLatin1String(section)) return fichier->ReadSectionValues(nom);
    return {};
}

TParametresHote TParametresHote::Lire(const QString& chemin) {
    const auto fichier = std::make_shared<const TIniFile>(chemin);
    const TIniFile& ini = *fichier;
    const QString config = QStringLiteral("Config");
    const QString vide = QStringLiteral("");
    TParametresHote p;
    p.agence = ini.ReadString(config, QStringLiteral("Agence"), vide);
    p.utilisateur = ini.ReadString(config, QStringLiteral("Utilisateur"), vide);
    p.categorie = ini.ReadInteger(config, QStringLiteral("Categorie"), 0);
    p.expediteur = ini.ReadString(config, QStringLiteral("Expediteur"), vide);
    p.numero = ini.ReadString(config, QStringLiteral("Numero"), vide);
    p.fichier = fichier;
    return p;
}
