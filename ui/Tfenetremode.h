#pragma once

#include <QString>
#include <QWidget>

// The window a mode opens: a fixed dialog frame with the close button only, the
// program's icon, and its opening steps (FormActivate) run once, at its first activation.
class TFenetreMode : public QWidget {
  public:
    explicit TFenetreMode(QWidget* parent);
    // Start-up gives the parameter file's path before the window is shown; it is kept for
    // the opening steps.
    virtual void DefinirFichierParametres(const QString& chemin) { fichierParametres = chemin; }
    // The opening steps; what escapes them is shown and the window stays open.
    virtual void FormActivate() = 0;

  protected:
    bool event(QEvent* evenement) override;

    QString fichierParametres;

  private:
    bool ouverte = false;
};
