#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

class TDataModuleAbs;
class TOptionsOutil;

// The commands of parlivo-base. Errors are exceptions: EErreurUsage for a wrong command
// line, EErreurBase for a failed database operation.
class TOutilBase {
  public:
    explicit TOutilBase(QTextStream& sortie) : sortie(sortie) {}

    // arguments: the command line without the program name. Returns the exit status.
    int Executer(const QStringList& arguments);

    static QString Aide();

  private:
    int Creer(const QStringList& mots);
    int Service(const QStringList& mots);
    int ServiceLister(const QStringList& mots);
    int ServiceAjouter(const QStringList& mots);
    int ServiceModifier(const QStringList& mots);
    int Parametre(const QStringList& mots);
    int ParametreEcrire(const QStringList& mots);
    int ParametreLire(const QStringList& mots);
    int ParametreLister(const QStringList& mots);
    int Demo(const QStringList& mots);
    int Copier(const QStringList& mots);
    int Droits(const QStringList& mots);

    QTextStream& sortie;
};

// Opens an existing database file through the data module and makes it the global
// DataModuleAbs for as long as the object lives.
class TBaseOuverte {
  public:
    explicit TBaseOuverte(const QString& fichier);
    ~TBaseOuverte();
    TBaseOuverte(const TBaseOuverte&) = delete;
    TBaseOuverte& operator=(const TBaseOuverte&) = delete;
    TDataModuleAbs& Module() { return *module; }

  private:
    std::unique_ptr<TDataModuleAbs> module;
};
