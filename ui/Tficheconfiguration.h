#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/Tfenetremode.h"
#include "ui/Tlistebalises.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QUrl;
class TCategorie;
class TConfigurationApi;
class TPageControl;
class TTemplate;
struct TParametresHote;

// The configuration window (modes CONFIG and CONFIGURATION): the sending services' keys on
// one tab, the categories, the templates and the creation right on the other.
class TFicheConfiguration : public TFenetreMode {
    Q_OBJECT
  public:
    explicit TFicheConfiguration(QWidget* parent = nullptr);
    ~TFicheConfiguration() override;

    void LireFichierParametres();
    // The section's keys of the file read by LireFichierParametres become tag texts.
    void ListerBalisesSection(const TParametresHote& parametres, const QString& section);
    void FormActivate() override;
    // Releases the records and their lists.
    void FormDestroy();

    const QString& Agence() const { return agence; }
    const QString& Utilisateur() const { return utilisateur; }
    const TListeBalises& ListeBalises() const { return listeBalises; }

    bool ApiModifiee() const { return apiModifiee; }
    bool TemplateModifie() const { return templateModifie; }
    qint32 IdCategorieCourante() const { return idCategorieCourante; }

    // Event handlers, each bound to its control's event.
    void PageControlChanging();
    void btnQuitterClick();
    // Service tab.
    void combo_apiChange();
    void combo_apiSelect();
    void edtCleChange();
    void btnSauvegarderAPIClick();
    void btnAnnulerAPIClick();
    void label_linkLinkClick(const QString& cible);
    // Template tab.
    void cbBloquerCreationClick();
    void combo_categorieChange();
    void combo_categorieSelect();
    void btnAddTemplateClick();
    void combo_templateChange();
    void combo_templateSelect();
    void edtNomTemplateChange();
    void memo_messageChange();
    void btnSauvegarderTemplateClick();
    void btnAnnulerTemplateClick();

    // The tag tree, one root per section, built from ListeBalises.
    void RemplirArbreBalises();
    // The part of a service URL before the first "/" at or after its 9th character; the
    // whole URL when there is none.
    static QString ExtraireSiteWeb(const QString& url);

    // Opens a link in the user's browser; tests replace it to see the target.
    std::function<void(const QUrl&)> OuvrirLien;

    // The controls, named as their objectName.
    TPageControl* PageControl;
    QWidget* TabTemplate;
    QGroupBox* gbDroit;
    QCheckBox* cbBloquerCreation;
    QGroupBox* gbTemplates;
    QLabel* label_categorie;
    QComboBox* combo_categorie;
    QPushButton* btnAddTemplate;
    QLabel* label_template;
    QComboBox* combo_template;
    QGroupBox* gbTemplate;
    QLabel* label_nomTemplate;
    QLineEdit* edtNomTemplate;
    QLabel* label_message;
    QPlainTextEdit* memo_message;
    QLabel* label_balises;
    QTreeWidget* tvBalises;
    QPushButton* btnSauvegarderTemplate;
    QPushButton* btnAnnulerTemplate;
    QWidget* TabAPI;
    QLabel* label_api;
    QComboBox* combo_api;
    QLabel* label_Cle;
    QLineEdit* edtCle;
    QLabel* label_siteAPI;
    QLabel* label_link;
    QPushButton* btnSauvegarderAPI;
    QPushButton* btnAnnulerAPI;
    QPushButton* btnQuitter;

  private:
    using TListeTemplates = std::vector<std::unique_ptr<TTemplate>>;

    void ConstruireOngletTemplates();
    void ConstruireOngletApi();
    void Connecter();

    TListeTemplates* TemplatesDeCategorie(qint32 idCategorie) const;
    // The category's templates, read from the base the first time they are asked for.
    TListeTemplates& ChargerTemplates(qint32 idCategorie);
    TTemplate* TemplateNomme(const QString& nom) const;
    // The picking steps of a category; nullptr when the combo names none.
    void OuvrirCategorie(const TCategorie* categorie);
    int EntreeTemplate(const QString& texte) const;
    void ActiverEditionTemplate(bool actif);

    // The saves behind the buttons: nom is the combo text that names the record.
    void SauvegarderApi(const QString& nom);
    void SauvegarderTemplate(const QString& nom, bool pendantSaisie);

    QString agence;
    QString utilisateur;
    TListeBalises listeBalises;

    bool apiModifiee = false;
    bool templateModifie = false;
    qint32 idCategorieCourante = -1;
    std::vector<std::unique_ptr<TConfigurationApi>> listeApi;
    std::map<qint32, std::unique_ptr<TListeTemplates>> templatesParCategorie;
    std::vector<std::unique_ptr<TCategorie>> listeCategories;

    // What the combos showed when the service and the template were last loaded: typing
    // changes the combo's text before the question about the edits is asked.
    QString nomApiCharge;
    QString texteTemplateOuvert;
    int entreeTemplateOuvert = -1;
};

extern TFicheConfiguration* FicheConfiguration;
