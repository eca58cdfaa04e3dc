#pragma once

#include <QString>
#include <optional>

class TCurseur;

// Type names of the settings table's valeur_type column.
extern const QString TypeString, TypeShortInt, TypeSmallInt, TypeInteger, TypeLargeInt, TypeFloat,
    TypeCurrency, TypeDate, TypeTime, TypeDateTime, TypeBlob, TypeGraphic, TypeMemo;

bool ExisteParametre(TCurseur& table, const QString& agence, const QString& utilisateur,
                     const QString& section, const QString& cle, const QString& valeurType);
bool ExisteParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                           const QString& section, const QString& cle);
bool InsererParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                            const QString& section, const QString& cle, qint32 valeur);
bool ModifierParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                             const QString& section, const QString& cle, qint32 valeur);
bool EcrireParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                           const QString& section, const QString& cle, qint32 valeur);
qint32 LireParametreEntier(TCurseur& table, const QString& agence, const QString& utilisateur,
                           const QString& section, const QString& cle, qint32 defaut);
// "CONFIG"/"BloquerCreation" at the first of the three levels that has a row; none when
// no level has one.
std::optional<qint32> ResoudreBloquerCreation(TCurseur& table, const QString& agence,
                                              const QString& utilisateur);
