#pragma once

// The text of data/schema.sql, the one source of the database layout.
const char* SchemaSql();
// The text of data/schema-mariadb.sql, the same layout on a MariaDB server.
const char* SchemaMariadbSql();
