#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

// What the query, the cursor and the module share about the connection.

// The connection of that name, without opening it.
QSqlDatabase Connexion(const QString& nomConnexion);
// Raises EErreurBase when the connection is not open.
void VerifierOuverte(const QSqlDatabase& base);
// The engine's text of an error, never empty.
QString TexteMoteur(const QSqlError& erreur);
// Raises the error of a statement that failed on the connection: EErreurBase with
// `modele` (its %1 the engine's text), or EErreurFichierBase when the engine's code tells
// a fault of the base's file (CauseFichierSqlite).
[[noreturn]] void LeverErreurRequete(const QSqlDatabase& base, const QString& modele,
                                     const QSqlError& erreur);
