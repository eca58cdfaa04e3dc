#pragma once

#include <QString>
#include <memory>

#include "platform/TIniFile.h"

// The host's parameter file, read once when a window needs it: the keys of [Config] and
// the keys of the three tag sections with their values. Each window takes what it uses.
// A missing or unreadable file reads as empty: empty texts, category 0, no keys.
struct TParametresHote {
    // Key and value, in file order.
    using TCles = TIniFile::TEntrees;

    QString agence = QStringLiteral("");
    QString utilisateur = QStringLiteral("");
    qint32 categorie = 0;  // also when the value is not an integer
    QString expediteur = QStringLiteral("");
    QString numero = QStringLiteral("");
    // The file as read, where the tag sections' keys and values are looked up.
    std::shared_ptr<const TIniFile> fichier;

    // The tag sections, in the order their tags are read.
    static inline const char* const SectionsBalises[] = {"Societe", "Dossier", "Client"};
    // The keys of one of the tag sections; empty for any other name.
    TCles Section(const QString& nom) const;

    static TParametresHote Lire(const QString& chemin);
};
