#pragma once

#include <QString>

// Creates a new database file at chemin holding the tables and indexes of schema.sql.
// Refuses to replace an existing file; raises EErreurBase with the cause in French and the
// engine's text. Used by parlivo-base and by the tests: the program itself never creates
// the file.
void CreerBase(const QString& chemin);

class QSqlDatabase;
// Creates the five tables of schema-mariadb.sql in the server base of an open connection.
// Refuses when one of them exists already; raises EErreurBase with the server's text.
void CreerTablesServeur(const QSqlDatabase& base);
