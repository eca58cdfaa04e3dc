#pragma once

#include <QWidget>

#include "ui/Tlistebalises.h"

// The configuration window (modes CONFIG and CONFIGURATION).
class TFicheConfiguration : public QWidget {
    Q_OBJECT
  public:
    explicit TFicheConfiguration(QWidget* parent = nullptr);
    ~TFicheConfiguration() override;

    void DefinirFichierParametres(const QString& chemin) { fichierParametres = chemin; }
    void LireFichierParametres();
    void ListerBalisesSection(const QString& section);
    // The opening steps, run once at the first activation.
    void FormActivate();

    const QString& Agence() const { return agence; }
    const QString& Utilisateur() const { return utilisateur; }
    const TListeBalises& ListeBalises() const { return listeBalises; }

  protected:
    bool event(QEvent* evenement) override;

  private:
    QString fichierParametres;
    QString agence;
    QString utilisateur;
    TListeBalises listeBalises;
    bool ouverte = false;
};

extern TFicheConfiguration* FicheConfiguration;
