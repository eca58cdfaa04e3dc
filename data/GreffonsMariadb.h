#pragma once

#include <mysql.h>

// Connector/C looks for its plugins (authentication methods it does not carry inside) in a
// folder compiled in as a path of the machine that built it. On Linux that is the system's
// libmariadb folder and right as it is; on Windows the plugins travel with the program, in
// "mariadb/plugin" beside the executable, and each connection is told so before it opens.
void DefinirDossierGreffons(MYSQL* connexion);
