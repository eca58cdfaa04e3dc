#pragma once

#include <QString>
#include <QTextStream>

// Moving a Parlivo base between a file (sms.abs) and a MariaDB server named by a
// connection file (a name ending in ".ini"), and what the server's administrator needs.
class TCopieBase {
  public:
    static bool EstConnexion(const QString& chemin);
    // Creates the five tables on the server; refuses when one exists.
    static void CreerSurServeur(const QString& connexion, QTextStream& sortie);
    // Copies every row, ids kept, into an empty destination: a server base (its tables
    // created when absent, refused when a table holds rows) or a new file (refused when
    // it exists). The counts are compared table by table; a difference is an error.
    static void Copier(const QString& source, const QString& destination, QTextStream& sortie);
    // The GRANT statements giving a workstation account what the program needs.
    static void Droits(const QString& connexion, const QString& compte, QTextStream& sortie);
};
