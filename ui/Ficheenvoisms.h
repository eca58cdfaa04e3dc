#pragma once

#include <QLineEdit>
#include <QWidget>

#include "envoi/Tbalises.h"

// The send window (mode ENVOI).
class TFormEnvoiSMS : public QWidget {
    Q_OBJECT
  public:
    explicit TFormEnvoiSMS(QWidget* parent = nullptr);
    ~TFormEnvoiSMS() override;

    void DefinirFichierParametres(const QString& chemin) { fichierParametres = chemin; }
    void LireFichierParametres();
    void AjouterBalisesSection(const QString& section);
    // The opening steps, run once at the first activation.
    void FormActivate();

    const QString& Agence() const { return agence; }
    const QString& Utilisateur() const { return utilisateur; }
    qint32 CategorieDefaut() const { return categorieDefaut; }
    TBalises& Balises() { return balises; }

    QLineEdit* edtExpediteur;
    QLineEdit* edtNumero;

  protected:
    bool event(QEvent* evenement) override;

  private:
    QString fichierParametres;
    QString agence;
    QString utilisateur;
    qint32 categorieDefaut = 0;
    TBalises balises;
    bool ouverte = false;
};

extern TFormEnvoiSMS* FormEnvoiSMS;
