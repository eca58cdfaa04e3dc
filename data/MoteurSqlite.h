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

// Walks the rest of the result of an executed query from the row it stands on, giving
// the named columns of each row as UTF-8 bytes (a null view for NULL), straight from the
// engine's statement. Returns false, having read nothing, when that is not possible: the
// driver is not SQLite's, a column is missing, or the statement does not stand on the
// query's row (told by `colonneUnique`, an integer column that tells rows apart).
bool ParcourirBrutSqlite(const QSqlQuery& requete, const std::vector<const char*>& colonnes,
                         const char* colonneUnique,
                         const std::function<void(const std::vector<QByteArrayView>&)>& ligne);
