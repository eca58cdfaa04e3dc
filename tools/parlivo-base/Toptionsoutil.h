#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include "platform/EErreurTexte.h"

// A wrong command line: the message is French and the tool exits with status 2.
class EErreurUsage : public EErreurTexte {
  public:
    using EErreurTexte::EErreurTexte;
};

// The words of a command line after the command, split into positional words,
// "--name value" / "--name=value" options and "--name" switches (drapeaux). Only the options
// and switches a command declares are accepted, each at most once.
class TOptionsOutil {
  public:
    TOptionsOutil(const QStringList& mots, const QStringList& optionsPermises,
                  const QStringList& drapeaux = {});

    const QStringList& Positionnels() const { return positionnels; }
    // Exactly n positional words, named in the message when some are missing or extra.
    void ExigerPositionnels(const QStringList& noms) const;
    bool Contient(const QString& option) const { return options.contains(option); }
    QString Valeur(const QString& option, const QString& defaut = QString()) const;
    QString Obligatoire(const QString& option) const;
    bool Vide() const { return options.isEmpty(); }

  private:
    QStringList positionnels;
    QMap<QString, QString> options;
};

// A decimal 32-bit integer, or EErreurUsage naming what was expected.
qint32 EntierOuErreur(const QString& texte, const QString& quoi);
