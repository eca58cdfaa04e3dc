#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <functional>
#include <vector>

// The only unit that calls SQLite's own interface, for what QtSql does not give: the
// wait for other running copies, whether a transaction is open, and reading a long
// result straight from the engine's statement.

// How long a statement waits for another running copy to release the file.
inline constexpr int DelaiAttenteMs = 10000;

// Installs the wait for other copies on an open connection.
void RegleAttenteSqlite(const QSqlDatabase& base);

// True when the connection is inside a transaction (not in autocommit); false also when
// the driver is not SQLite's.
bool TransactionOuverteSqlite(const QSqlDatabase& base);

// For an error of a statement on an SQLite connection, the French sentence of a fault of
// the base's file that SQLite's extended code tells, naming the file or its folder: the
// file deleted, replaced or moved since it was opened (SQLITE_READONLY_DBMOVED), or its
// journal impossible to create beside it (SQLITE_CANTOPEN, SQLITE_READONLY_DIRECTORY, or
// an I/O error while something other than a file holds the journal's name). Empty for
// any other error, and on another driver.
QString CauseFichierSqlite(const QSqlDatabase& base, const QSqlError& erreur);

// Walks the rest of the result of an executed query from the row it stands on, giving
// the named columns of each row as UTF-8 bytes (a null view for NULL), straight from the
// engine's statement. Returns false, having read nothing, when that is not possible: the
// driver is not SQLite's, a column is missing, or the statement does not stand on the
// query's row (told by `colonneUnique`, an integer column that tells rows apart).
bool ParcourirBrutSqlite(const QSqlQuery& requete, const std::vector<const char*>& colonnes,
                         const char* colonneUnique,
                         const std::function<void(const std::vector<QByteArrayView>&)>& ligne);
