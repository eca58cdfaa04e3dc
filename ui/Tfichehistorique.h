#pragma once

#include <QWidget>

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

    const QString& Agence() const { return agence; }
    const QString& Utilisateur() const { return utilisateur; }

  protected:
    bool event(QEvent* evenement) override;

  private:
    QString agence;
    QString utilisateur;
    bool ouverte = false;
};

extern TFicheHistorique* FicheHistorique;
