#pragma once

// The text of data/schema.sql, the one source of the database layout.
const char* SchemaSql();
