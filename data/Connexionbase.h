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
