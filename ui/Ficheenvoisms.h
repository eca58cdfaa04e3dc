#pragma once

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QWidget>
#include <memory>
#include <vector>

#include "envoi/Tbalises.h"
#include "ui/Tfenetremode.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TCategorie;
class TConfigurationApi;
class TEnvoiSms;
class TTemplate;

// The send window (mode ENVOI).
class TFormEnvoiSMS : public TFenetreMode {
    Q_OBJECT
  public:
    explicit TFormEnvoiSMS(QWidget* parent = nullptr);
    ~TFormEnvoiSMS() override;

    void LireFichierParametres();
    void FormActivate() override;
    // Closes the database and releases the records; run by every close of the window.
    void FormClose();

    // Event handlers, connected to their controls; public so that they can be run as the
    // user would run them.
    void combo_apiChange();
    void combo_categorieChange();
    void combo_templateChange();
    void btnRefreshMessageClick();
    void edtNumeroChange();
    void memoMessageChange();
    void btnEnvoyerClick();
    void btnQuitterClick();

    const QString& Agence() const { return agence; }
    const QString& Utilisateur() const { return utilisateur; }
    qint32 CategorieDefaut() const { return categorieDefaut; }
    TBalises& Balises() { return balises; }

    const std::vector<std::unique_ptr<TConfigurationApi>>& ListeApi() const { return listeApi; }
    const std::vector<std::unique_ptr<TCategorie>>& ListeCategories() const {
        return listeCategories;
    }
    const std::vector<std::unique_ptr<TTemplate>>& ListeTemplates() const { return listeTemplates; }
    // The send operation; it lives as long as the window so that a service's cookies last.
    TEnvoiSms& Envoi() { return *envoi; }
    // True from the confirmation of a send until its outcome is written.
    bool EnvoiEnCours() const { return envoiEnCours; }

    QLabel* label_api;
    QComboBox* combo_api;
    QLabel* label_sender;
    QLineEdit* edtExpediteur;
    QLabel* label_numero;
    QLineEdit* edtNumero;
    QLabel* Label2;
    QComboBox* combo_categorie;
    QLabel* Label1;
    QComboBox* combo_template;
    QPushButton* btnRefreshMessage;
    QLabel* label_message;
    QPlainTextEdit* memoMessage;
    QLabel* label_delay;
    QDateTimeEdit* dtpDateEnvoi;
    QLabel* label_response;
    QPlainTextEdit* edtReponse;
    QPushButton* btnEnvoyer;
    QPushButton* btnQuitter;

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void closeEvent(QCloseEvent* evenement) override;

  private:
    void CreerControles();
    void PlacerControles();
    void RelierControles();
    // Writes the outcome of a send (or its wait, or nothing) into the response box.
    void AfficherReponse(const QString& texte);
    // A failed input check: error box, red caption, focus on the field.
    void Refuser(const QString& message, QLabel* libelle, QWidget* champ);

    QString agence;
    QString utilisateur;
    qint32 categorieDefaut = 0;
    TBalises balises;
    bool envoiEnCours = false;

    std::vector<std::unique_ptr<TConfigurationApi>> listeApi;
    std::vector<std::unique_ptr<TCategorie>> listeCategories;
    std::vector<std::unique_ptr<TTemplate>> listeTemplates;
    std::unique_ptr<TEnvoiSms> envoi;
};

extern TFormEnvoiSMS* FormEnvoiSMS;
