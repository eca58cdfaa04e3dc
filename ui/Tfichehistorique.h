#pragma once

#include <QDateTime>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <utility>
#include <vector>

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
class TFicheHistorique : public QWidget {
    Q_OBJECT
  public:
    explicit TFicheHistorique(QWidget* parent = nullptr);
    ~TFicheHistorique() override;

    // Reads the agency and user at once; the path is not kept.
    void DefinirFichierParametres(const QString& chemin);
    // The opening steps, run once at the first activation.
    void FormActivate();

    void btnRechercherClick();
    void btnQuitterClick();

    const QString& Agence() const { return agence; }
    const QString& Utilisateur() const { return utilisateur; }

    // The last search's statement, line by line, and its parameters in the order bound.
    const QStringList& DerniereRequete() const { return derniereRequete; }
    const std::vector<std::pair<QString, QVariant>>& DerniersParametres() const {
        return derniersParametres;
    }
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

  protected:
    bool event(QEvent* evenement) override;

  private:
    QString agence;
    QString utilisateur;
    bool ouverte = false;
    TModeleHistorique* modele;
    QStringList derniereRequete;
    std::vector<std::pair<QString, QVariant>> derniersParametres;
};

extern TFicheHistorique* FicheHistorique;
