#pragma once

#include <QWidget>

#include "data/Requetehistorique.h"
#include "ui/Tfenetremode.h"

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class TModeleHistorique;

// The history window (modes HISTO and HISTORIQUE).
class TFicheHistorique : public TFenetreMode {
    Q_OBJECT
  public:
    explicit TFicheHistorique(QWidget* parent = nullptr);
    ~TFicheHistorique() override;

    // Reads the agency and user at once; the path is not kept.
    void DefinirFichierParametres(const QString& chemin) override;
    // The opening steps: the first search.
    void FormActivate() override;

    void btnRechercherClick();
    void btnQuitterClick();

    const QString& Agence() const { return agence; }
    const QString& Utilisateur() const { return utilisateur; }

    // What the fields, the ticked dates and the state choose, with the file's agency and
    // user: the criteria of the next search.
    TCriteresHistorique Criteres() const;
    TModeleHistorique* Modele() const { return modele; }

    QGroupBox* gbCreation;
    QLabel* Label_creation_du;
    QCheckBox* cbDateCreationDebut;
    QDateEdit* DateCreationDebut;
    QLabel* Label_creation_au;
    QCheckBox* cbDateCreationFin;
    QDateEdit* DateCreationFin;
    QLabel* label_epediteur;
    QLineEdit* edit_expediteur;
    QLabel* label_destinataire;
    QLineEdit* edit_destinataire;
    QGroupBox* gbEnvoi;
    QLabel* label_envoi_du;
    QCheckBox* cbDateEnvoiDebut;
    QDateEdit* DateEnvoiDebut;
    QLabel* label_envoi_au;
    QCheckBox* cbDateEnvoiFin;
    QDateEdit* DateEnvoiFin;
    QGroupBox* rgEtat;
    QButtonGroup* boutonsEtat;
    QPushButton* btnRechercher;
    QTableView* ListView;
    QPushButton* btnQuitter;

    // The state filter's selected index: 0 "Tous", 1 "En cours", 2 "Envoyé", 3 "Erreur".
    int EtatChoisi() const;
    void ChoisirEtat(int index);

  private:
    QString agence;
    QString utilisateur;
    TModeleHistorique* modele;
};

extern TFicheHistorique* FicheHistorique;
