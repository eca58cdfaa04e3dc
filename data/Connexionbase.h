#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include "data/EErreurBase.h"

// What the query, the cursor and the module share about the connection.

// The connection of that name, without opening it.
QSqlDatabase Connexion(const QString& nomConnexion);
// Raises EErreurBase when the connection is not open.
void VerifierOuverte(const QSqlDatabase& base);
// The engine's text of an error, never empty.
QString TexteMoteur(const QSqlError& erreur);
// The error of a statement on `base`: `debut` followed by the engine's text, with the kind
// the engine's code gives.
EErreurBase ErreurMoteur(const QSqlDatabase& base, const QSqlError& erreur, const QString& debut);
