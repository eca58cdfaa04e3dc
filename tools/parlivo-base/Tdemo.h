#pragma once

#include <QString>
#include <QTextStream>

// The demo data: a new sms.abs with sending services, categories, templates using the
// tags of the demo parameter file, a few settings and history rows, and that parameter
// file, parlivo-demo.ini, beside it.
class TDemo {
  public:
    static constexpr const char* UrlParDefaut = "http://127.0.0.1:8080/envoi";
    static constexpr const char* NomFichierParametres = "parlivo-demo.ini";

    // Refuses when dossier/sms.abs exists, unless garder: then that base is kept and
    // nothing is written (an installer asked for the demo on a workstation that already has
    // its data). Otherwise the parameter file is rewritten.
    static void Creer(const QString& dossier, const QString& url, QTextStream& sortie,
                      bool garder = false);
};
