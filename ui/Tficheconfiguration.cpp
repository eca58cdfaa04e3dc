#include "ui/Tficheconfiguration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "data/Datamoduleabs.h"
#include "data/Fonctions_bd.h"
#include "data/Tcategorie.h"
#include "data/Tconfigurationapi.h"
#include "data/Ttemplate.h"
#include "platform/AfficherErreur.h"
#include "platform/Dialogues.h"
#include "ui/Accessibilite.h"
#include "ui/ChargementListes.h"
#include "ui/Clavier.h"
#include "ui/Police.h"
#include "ui/PresentationFenetre.h"
#include "ui/Recordnomme.h"
#include "ui/Sauvegarde.h"
#include "ui/Textememo.h"
#include "ui/Tpagecontrol.h"
#include "ui/Tparametreshote.h"
#include "ui/Ttrinoms.h"

TFicheConfiguration* FicheConfiguration = nullptr;

namespace {

const QString Question = QStringLiteral("Voulez-vous sauvegarder les données modifiées ?");
const QString EntreeNouveau = QStringLiteral("<Nouveau>");

bool SauvegarderDemande() {
    return MessageDlg(Question, TTypeDialogue::Confirmation, mbYesNo) == TResultatDialogue::mrYes;
}

// An edited field's caption is bold and italic until the edit is saved or dropped.
void Marquer(QLabel* etiquette, bool marque) {
    QFont police = etiquette->font();
    police.setBold(marque);
    police.setItalic(marque);
    etiquette->setFont(police);
}

// The combos are edit fields with a list: the user's typing and the user's choice in the
// list are two different events, and nothing else may pick an entry.
void PreparerComboSaisissable(QComboBox* combo) {
    combo->setEditable(true);
    // Enter would otherwise add the typed text to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would rewrite what the user types.
    combo->setCompleter(nullptr);
    // When editing finishes (focus lost, Enter), QComboBox selects the entry equal to the
    // typed text and reports it as chosen: typing a name must open nothing.
    QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
}

QLabel* Etiquette(const QString& texte, const char* nom, QWidget* champ) {
    auto* etiquette = new QLabel(texte);
    etiquette->setObjectName(QString::fromLatin1(nom));
    etiquette->setBuddy(champ);
    return etiquette;
}

QPushButton* Bouton(const QString& texte, const char* nom, const char* icone) {
    auto* bouton = new QPushButton(
        QIcon(QStringLiteral(":/configuration/%1").arg(QString::fromLatin1(icone))), texte);
    bouton->setObjectName(QString::fromLatin1(nom));
    return bouton;
}

}  // namespace

TFicheConfiguration::TFicheConfiguration(QWidget* parent) : TFenetreMode(parent) {
    Q_INIT_RESOURCE(configuration);
    setObjectName(QStringLiteral("FicheConfiguration"));
    setWindowTitle(QStringLiteral("Configuration du Parlivo"));
    setFont(PoliceTahoma(8));
    setFixedSize(517, 612);

    OuvrirLien = [](const QUrl& lien) { QDesktopServices::openUrl(lien); };

    PageControl = new TPageControl(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    ConstruireOngletTemplates();
    ConstruireOngletApi();
    PageControl->addTab(TabTemplate, QStringLiteral("Gestion des templates"));
    PageControl->addTab(TabAPI, QStringLiteral("Service d'expédition"));

    btnQuitter = Bouton(QStringLiteral("Fermer"), "btnQuitter", "fermer.xpm");

    auto* fenetre = new QVBoxLayout(this);
    fenetre->setContentsMargins(6, 6, 6, 6);
    fenetre->addWidget(PageControl, 1);
    auto* bas = new QHBoxLayout;
    bas->addStretch(1);
    bas->addWidget(btnQuitter);
    fenetre->addLayout(bas);

    Marquer(label_Cle, false);
    label_link->clear();
    PageControl->setCurrentWidget(TabTemplate);

    Connecter();
    BoutonsSurEntree(this);
    PageControl->setAccessibleName(QStringLiteral("Onglets de la configuration"));
    RendreAccessible(this);
}

void TFicheConfiguration::ConstruireOngletTemplates() {
    TabTemplate = new QWidget;
    TabTemplate->setObjectName(QStringLiteral("TabTemplate"));

    gbDroit = new QGroupBox(QStringLiteral("Gestions des droits"));
    gbDroit->setObjectName(QStringLiteral("gbDroit"));
    cbBloquerCreation = new QCheckBox(QStringLiteral("Bloquer la création de templates"));
    cbBloquerCreation->setObjectName(QStringLiteral("cbBloquerCreation"));
    auto* droit = new QVBoxLayout(gbDroit);
    droit->addWidget(cbBloquerCreation);

    gbTemplates = new QGroupBox(QStringLiteral("Gestions des templates"));
    gbTemplates->setObjectName(QStringLiteral("gbTemplates"));
    combo_categorie = new QComboBox;
    combo_categorie->setObjectName(QStringLiteral("combo_categorie"));
    PreparerComboSaisissable(combo_categorie);
    label_categorie = Etiquette(QStringLiteral("Catégorie"), "label_categorie", combo_categorie);
    btnAddTemplate = new QPushButton(QStringLiteral("Ajouter"));
    btnAddTemplate->setObjectName(QStringLiteral("btnAddTemplate"));
    combo_template = new QComboBox;
    combo_template->setObjectName(QStringLiteral("combo_template"));
    PreparerComboSaisissable(combo_template);
    combo_template->setEnabled(false);
    label_template = Etiquette(QStringLiteral("Templates"), "label_template", combo_template);

    gbTemplate = new QGroupBox;
    gbTemplate->setObjectName(QStringLiteral("gbTemplate"));
    edtNomTemplate = new QLineEdit;
    edtNomTemplate->setObjectName(QStringLiteral("edtNomTemplate"));
    edtNomTemplate->setEnabled(false);
    label_nomTemplate = Etiquette(QStringLiteral("Nom  "), "label_nomTemplate", edtNomTemplate);
    memo_message = new QPlainTextEdit;
    memo_message->setObjectName(QStringLiteral("memo_message"));
    memo_message->setEnabled(false);
    memo_message->setTabChangesFocus(true);
    label_message = Etiquette(QStringLiteral("Message  "), "label_message", memo_message);
    tvBalises = new QTreeWidget;
    tvBalises->setObjectName(QStringLiteral("tvBalises"));
    tvBalises->setHeaderHidden(true);
    tvBalises->setColumnCount(1);
    // For reading only: no editing, no selection, no dragging, not on the Tab key's way.
    tvBalises->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvBalises->setSelectionMode(QAbstractItemView::NoSelection);
    tvBalises->setDragEnabled(false);
    tvBalises->setFocusPolicy(Qt::NoFocus);
    // A long tag scrolls sideways rather than being cut short.
    tvBalises->setIndentation(14);
    tvBalises->setTextElideMode(Qt::ElideNone);
    tvBalises->header()->setStretchLastSection(false);
    tvBalises->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tvBalises->setEnabled(false);
    label_balises = Etiquette(QStringLiteral("Balises"), "label_balises", tvBalises);
    btnSauvegarderTemplate =
        Bouton(QStringLiteral("Sauvegarder"), "btnSauvegarderTemplate", "sauvegarder.xpm");
    btnSauvegarderTemplate->setEnabled(false);
    btnAnnulerTemplate = Bouton(QStringLiteral("Annuler"), "btnAnnulerTemplate", "annuler.xpm");
    btnAnnulerTemplate->setEnabled(false);

    auto* modele = new QGridLayout(gbTemplate);
    modele->addWidget(label_nomTemplate, 0, 0);
    modele->addWidget(edtNomTemplate, 0, 1, 1, 2);
    modele->addWidget(label_message, 1, 0, 1, 2);
    modele->addWidget(label_balises, 1, 2);
    modele->addWidget(memo_message, 2, 0, 1, 2);
    modele->addWidget(tvBalises, 2, 2);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(btnSauvegarderTemplate);
    boutons->addWidget(btnAnnulerTemplate);
    modele->addLayout(boutons, 3, 0, 1, 3);
    modele->setColumnStretch(1, 3);
    modele->setColumnStretch(2, 2);
    modele->setRowStretch(2, 1);

    auto* templates = new QGridLayout(gbTemplates);
    templates->addWidget(label_categorie, 0, 0);
    templates->addWidget(combo_categorie, 0, 1);
    templates->addWidget(btnAddTemplate, 0, 2);
    templates->addWidget(label_template, 1, 0);
    templates->addWidget(combo_template, 1, 1);
    templates->addWidget(gbTemplate, 2, 0, 1, 3);
    templates->setColumnStretch(1, 1);
    templates->setRowStretch(2, 1);

    auto* onglet = new QVBoxLayout(TabTemplate);
    onglet->addWidget(gbDroit);
    onglet->addWidget(gbTemplates, 1);
}

void TFicheConfiguration::ConstruireOngletApi() {
    TabAPI = new QWidget;
    TabAPI->setObjectName(QStringLiteral("TabAPI"));

    combo_api = new QComboBox;
    combo_api->setObjectName(QStringLiteral("combo_api"));
    PreparerComboSaisissable(combo_api);
    // Its caption names the list for assistive technology, whatever entry it shows.
    label_api = Etiquette(QStringLiteral("Service d'expédition"), "label_api", combo_api);
    edtCle = new QLineEdit;
    edtCle->setObjectName(QStringLiteral("edtCle"));
    edtCle->setEnabled(false);
    label_Cle = Etiquette(QStringLiteral("Clé "), "label_Cle", edtCle);
    label_link = new QLabel(QStringLiteral("label_link"));
    label_link->setObjectName(QStringLiteral("label_link"));
    label_link->setTextFormat(Qt::RichText);
    label_link->setOpenExternalLinks(false);
    label_link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label_siteAPI = Etiquette(QStringLiteral("Site web"), "label_siteAPI", label_link);
    btnSauvegarderAPI =
        Bouton(QStringLiteral("Sauvegarder"), "btnSauvegarderAPI", "sauvegarder.xpm");
    btnSauvegarderAPI->setEnabled(false);
    btnAnnulerAPI = Bouton(QStringLiteral("Annuler"), "btnAnnulerAPI", "annuler.xpm");
    btnAnnulerAPI->setEnabled(false);

    auto* onglet = new QGridLayout(TabAPI);
    onglet->addWidget(label_api, 0, 0, 1, 2);
    onglet->addWidget(combo_api, 1, 0, 1, 2);
    onglet->addWidget(label_Cle, 2, 0);
    onglet->addWidget(edtCle, 2, 1);
    onglet->addWidget(label_siteAPI, 3, 0);
    onglet->addWidget(label_link, 3, 1);
    onglet->setRowStretch(4, 1);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(btnSauvegarderAPI);
    boutons->addWidget(btnAnnulerAPI);
    onglet->addLayout(boutons, 5, 0, 1, 2);
    onglet->setColumnStretch(1, 1);
}

void TFicheConfiguration::Connecter() {
    // Every handler runs inside Proteger: what it raises is shown and the loop goes on.
    const auto gerer = [this](void (TFicheConfiguration::*gestionnaire)()) {
        return [this, gestionnaire] { Proteger([&] { (this->*gestionnaire)(); }); };
    };
    using F = TFicheConfiguration;
    connect(PageControl, &TPageControl::avantChangement, this, gerer(&F::PageControlChanging));
    connect(btnQuitter, &QPushButton::clicked, this, gerer(&F::btnQuitterClick));

    connect(combo_api->lineEdit(), &QLineEdit::textEdited, this, gerer(&F::combo_apiChange));
    connect(combo_api, &QComboBox::activated, this, gerer(&F::combo_apiSelect));
    connect(edtCle, &QLineEdit::textChanged, this, gerer(&F::edtCleChange));
    connect(btnSauvegarderAPI, &QPushButton::clicked, this, gerer(&F::btnSauvegarderAPIClick));
    connect(btnAnnulerAPI, &QPushButton::clicked, this, gerer(&F::btnAnnulerAPIClick));
    connect(label_link, &QLabel::linkActivated, this,
            [this](const QString& cible) { Proteger([&] { label_linkLinkClick(cible); }); });

    connect(cbBloquerCreation, &QCheckBox::clicked, this, gerer(&F::cbBloquerCreationClick));
    connect(combo_categorie->lineEdit(), &QLineEdit::textEdited, this,
            gerer(&F::combo_categorieChange));
    connect(combo_categorie, &QComboBox::activated, this, gerer(&F::combo_categorieSelect));
    connect(btnAddTemplate, &QPushButton::clicked, this, gerer(&F::btnAddTemplateClick));
    connect(combo_template->lineEdit(), &QLineEdit::textEdited, this,
            gerer(&F::combo_templateChange));
    connect(combo_template, &QComboBox::activated, this, gerer(&F::combo_templateSelect));
    connect(edtNomTemplate, &QLineEdit::textChanged, this, gerer(&F::edtNomTemplateChange));
    connect(memo_message, &QPlainTextEdit::textChanged, this, gerer(&F::memo_messageChange));
    connect(btnSauvegarderTemplate, &QPushButton::clicked, this,
            gerer(&F::btnSauvegarderTemplateClick));
    connect(btnAnnulerTemplate, &QPushButton::clicked, this, gerer(&F::btnAnnulerTemplateClick));
}

TFicheConfiguration::~TFicheConfiguration() {
    // The controls are destroyed after this body: none of their signals may reach a
    // handler of a window that is half gone.
    for (QObject* enfant : findChildren<QObject*>()) disconnect(enfant, nullptr, this, nullptr);
    FormDestroy();
}

void TFicheConfiguration::FormDestroy() {
    listeApi.clear();
    templatesParCategorie.clear();
    listeCategories.clear();
}

void TFicheConfiguration::FormActivate() {
    OuvrirBaseSousSablier();
    LireFichierParametres();

    listeApi = LireServices();
    combo_api->addItems(Noms(listeApi));
    // The first entry appended becomes the current one: none is picked at opening.
    combo_api->setCurrentIndex(-1);
    combo_api->clearEditText();

    const std::optional<qint32> blocage =
        ResoudreBloquerCreation(ModuleDonnees().tblParametres, agence, utilisateur);
    if (!blocage || *blocage != 0) {
        PageControl->setTabVisible(PageControl->indexOf(TabTemplate), false);
        return;
    }

    // A category's templates are read when it is first picked (see ChargerTemplates).
    listeCategories = LireCategories();
    TTriNoms().Remplir(combo_categorie, Noms(listeCategories));
    combo_categorie->setCurrentIndex(-1);
    combo_categorie->clearEditText();

    RemplirArbreBalises();
}

void TFicheConfiguration::LireFichierParametres() {
    const TParametresHote parametres = TParametresHote::Lire(fichierParametres);
    agence = parametres.agence;
    utilisateur = parametres.utilisateur;
    for (const char* section : TParametresHote::SectionsBalises)
        ListerBalisesSection(parametres, QLatin1String(section));
}

void TFicheConfiguration::ListerBalisesSection(const TParametresHote& parametres,
                                               const QString& section) {
    listeBalises.AjouterSection(section, parametres.Section(section));
}

// ---------------------------------------------------------------------------------------
// The window as a whole

void TFicheConfiguration::btnQuitterClick() {
    if (apiModifiee && SauvegarderDemande()) btnSauvegarderAPIClick();
    if (templateModifie && SauvegarderDemande()) btnSauvegarderTemplateClick();
    close();
}

void TFicheConfiguration::PageControlChanging() {
    if (apiModifiee && SauvegarderDemande())
        btnSauvegarderAPIClick();
    else
        btnAnnulerAPIClick();

    if (templateModifie && SauvegarderDemande())
        btnSauvegarderTemplateClick();
    else
        btnAnnulerTemplateClick();
}

// ---------------------------------------------------------------------------------------
// Service tab

QString TFicheConfiguration::ExtraireSiteWeb(const QString& url) {
    // The first "/" at or after the 9th character ends the host: "https://" is 8 long.
    const qsizetype barre = url.indexOf(QLatin1Char('/'), 8);
    return barre < 0 ? url : url.left(barre);
}

void TFicheConfiguration::combo_apiSelect() {
    nomApiCharge = combo_api->currentText();
    if (TConfigurationApi* service = RecordNomme(listeApi, nomApiCharge)) {
        edtCle->setText(service->cle());
        // The site goes into markup: a quote or a "<" in it must stay text.
        const QString site = ExtraireSiteWeb(service->url()).toHtmlEscaped();
        label_link->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(site, site));
    }
    apiModifiee = false;
    Marquer(label_Cle, false);
    edtCle->setEnabled(true);
    btnSauvegarderAPI->setEnabled(true);
    btnAnnulerAPI->setEnabled(true);
}

void TFicheConfiguration::edtCleChange() {
    apiModifiee = true;
    Marquer(label_Cle, true);
}

void TFicheConfiguration::combo_apiChange() {
    // The combo already shows the typed text: the edited key belongs to the service that was
    // loaded.
    if (apiModifiee && SauvegarderDemande()) SauvegarderApi(nomApiCharge);
    edtCle->clear();
    edtCle->setEnabled(false);
    apiModifiee = false;
    Marquer(label_Cle, false);
    label_link->clear();
    btnSauvegarderAPI->setEnabled(false);
    btnAnnulerAPI->setEnabled(false);
}

void TFicheConfiguration::btnSauvegarderAPIClick() { SauvegarderApi(combo_api->currentText()); }

void TFicheConfiguration::SauvegarderApi(const QString& nom) {
    TConfigurationApi* service = RecordNomme(listeApi, nom);
    // A save that stores nothing must not look like one that did: the edit stays pending.
    if (!service)
        throw EErreurBase(QStringLiteral("Erreur : aucun service ne porte le nom « %1 » : la "
                                         "clé n'a pas été sauvegardée.")
                              .arg(nom));
    const QString cle = edtCle->text();
    SauvegarderOuRetablir(
        *service, [&](TConfigurationApi& s) { s.setCle(cle); },
        QStringLiteral("Erreur : la clé du service « %1 » n'a pas été "
                       "sauvegardée : le service n'existe plus dans la base.")
            .arg(nom));
    Marquer(label_Cle, false);
    apiModifiee = false;
}

void TFicheConfiguration::btnAnnulerAPIClick() {
    apiModifiee = false;
    combo_apiSelect();
}

void TFicheConfiguration::label_linkLinkClick(const QString& cible) {
    // The target comes from the database: only a web address goes to the shell, never a
    // local file or program.
    const QUrl lien = QUrl::fromUserInput(cible);
    const QString schema = lien.scheme().toLower();
    if (!lien.isValid() || (schema != u"http" && schema != u"https")) return;
    if (OuvrirLien) OuvrirLien(lien);
}

// ---------------------------------------------------------------------------------------
// Template tab

TFicheConfiguration::TListeTemplates* TFicheConfiguration::TemplatesDeCategorie(
    qint32 idCategorie) const {
    const auto entree = templatesParCategorie.find(idCategorie);
    return entree == templatesParCategorie.end() ? nullptr : entree->second.get();
}

TFicheConfiguration::TListeTemplates& TFicheConfiguration::ChargerTemplates(qint32 idCategorie) {
    std::unique_ptr<TListeTemplates>& liste = templatesParCategorie[idCategorie];
    // Kept for the life of the window, with the saves made in it, as the other
    // categories' lists are.
    if (!liste) liste = std::make_unique<TListeTemplates>(LireTemplatesCategorie(idCategorie));
    return *liste;
}

TTemplate* TFicheConfiguration::TemplateNomme(const QString& nom) const {
    TListeTemplates* liste = TemplatesDeCategorie(idCategorieCourante);
    return liste ? RecordNomme(*liste, nom) : nullptr;
}

int TFicheConfiguration::EntreeTemplate(const QString& texte) const {
    // The entry the template was opened from; after typing the combo's current index no
    // longer tells which one it was.
    if (entreeTemplateOuvert >= 0 && entreeTemplateOuvert < combo_template->count() &&
        combo_template->itemText(entreeTemplateOuvert) == texte)
        return entreeTemplateOuvert;
    return combo_template->findText(texte, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TFicheConfiguration::ActiverEditionTemplate(bool actif) {
    edtNomTemplate->setEnabled(actif);
    memo_message->setEnabled(actif);
    tvBalises->setEnabled(actif);
    btnSauvegarderTemplate->setEnabled(actif);
    btnAnnulerTemplate->setEnabled(actif);
}

void TFicheConfiguration::RemplirArbreBalises() {
    QString precedente = QStringLiteral("");
    QTreeWidgetItem* noeud = nullptr;
    for (const QString& balise : listeBalises.Textes()) {
        const qsizetype souligne = balise.indexOf(QLatin1Char('_'));
        const QString section = balise.mid(1, souligne < 0 ? -1 : souligne - 1);
        if (section != precedente || !noeud) {
            noeud = new QTreeWidgetItem(tvBalises, QStringList{section});
            precedente = section;
        }
        new QTreeWidgetItem(noeud, QStringList{balise});
    }
    tvBalises->expandAll();
}

void TFicheConfiguration::cbBloquerCreationClick() {
    EcrireParametreEntier(ModuleDonnees().tblParametres, agence, utilisateur,
                          QStringLiteral("CONFIG"), QStringLiteral("BloquerCreation"),
                          cbBloquerCreation->isChecked() ? 1 : 0);
}

void TFicheConfiguration::combo_categorieSelect() {
    OuvrirCategorie(RecordNomme(listeCategories, combo_categorie->currentText()));
}

void TFicheConfiguration::OuvrirCategorie(const TCategorie* categorie) {
    combo_template->clear();
    combo_template->clearEditText();
    entreeTemplateOuvert = -1;
    edtNomTemplate->clear();
    memo_message->clear();
    ActiverEditionTemplate(false);
    Marquer(label_nomTemplate, false);
    Marquer(label_message, false);
    templateModifie = false;

    if (!categorie) return;
    const TListeTemplates& modeles = ChargerTemplates(categorie->id_categorie());
    idCategorieCourante = categorie->id_categorie();
    QStringList entrees{EntreeNouveau};
    for (const auto& modele : modeles) entrees << modele->nom();
    combo_template->addItems(entrees);
    // The first entry appended becomes the current one: none is picked yet.
    combo_template->setCurrentIndex(-1);
    combo_template->clearEditText();
    combo_template->setEnabled(true);
}

void TFicheConfiguration::combo_categorieChange() {
    if (templateModifie && SauvegarderDemande()) btnSauvegarderTemplateClick();
    combo_template->clear();
    combo_template->setEnabled(false);
    combo_template->clearEditText();
    entreeTemplateOuvert = -1;
    idCategorieCourante = -1;
}

void TFicheConfiguration::btnAddTemplateClick() {
    const QString nom = InputBox(QStringLiteral("Nouvelle catégorie"),
                                 QStringLiteral("Nom de la catégorie"), QStringLiteral(""));
    if (nom.isEmpty()) return;
    auto categorie = std::make_unique<TCategorie>(false, nom);
    if (!categorie->Sauvegarder())
        throw EErreurBase(
            QStringLiteral("Erreur : la catégorie « %1 » n'a pas été sauvegardée.").arg(nom));
    listeCategories.push_back(std::move(categorie));
    // Among equal names, the new one is the last of them.
    combo_categorie->setCurrentIndex(TTriNoms().Inserer(combo_categorie, nom));
    // Picked by name like any entry: when an older category has the same name, that one
    // becomes current. Making the new one current would file the templates created next
    // under a category that no list can open again, since every pick finds the first of a
    // name.
    combo_categorieSelect();
}

void TFicheConfiguration::combo_templateChange() {
    // The combo already shows the typed text: the edits belong to the template that was
    // open.
    if (templateModifie && SauvegarderDemande()) SauvegarderTemplate(texteTemplateOuvert, true);
    edtNomTemplate->clear();
    memo_message->clear();
    ActiverEditionTemplate(false);
    Marquer(label_nomTemplate, false);
    Marquer(label_message, false);
    templateModifie = false;
}

void TFicheConfiguration::combo_templateSelect() {
    texteTemplateOuvert = combo_template->currentText();
    const int courante = combo_template->currentIndex();
    entreeTemplateOuvert =
        courante >= 0 && combo_template->itemText(courante) == texteTemplateOuvert
            ? courante
            : combo_template->findText(texteTemplateOuvert,
                                       Qt::MatchExactly | Qt::MatchCaseSensitive);
    edtNomTemplate->clear();
    memo_message->clear();
    if (idCategorieCourante >= 0) {
        if (texteTemplateOuvert == EntreeNouveau) {
            edtNomTemplate->setText(QStringLiteral("Nouveau"));
            memo_message->setPlainText(QStringLiteral("Inscrivez le contenu du message ici"));
        } else if (TTemplate* modele = TemplateNomme(texteTemplateOuvert)) {
            edtNomTemplate->setText(modele->nom());
            memo_message->setPlainText(modele->texte());
        }
    }
    ActiverEditionTemplate(true);
    Marquer(label_nomTemplate, false);
    Marquer(label_message, false);
    templateModifie = false;
}

void TFicheConfiguration::edtNomTemplateChange() {
    templateModifie = true;
    Marquer(label_nomTemplate, true);
}

void TFicheConfiguration::memo_messageChange() {
    templateModifie = true;
    Marquer(label_message, true);
}

void TFicheConfiguration::btnSauvegarderTemplateClick() {
    SauvegarderTemplate(combo_template->currentText(), false);
}

void TFicheConfiguration::SauvegarderTemplate(const QString& nom, bool pendantSaisie) {
    const QString nomSaisi = edtNomTemplate->text();
    const QString texteSaisi = TexteDuMemo(memo_message);

    if (nom == EntreeNouveau) {
        if (idCategorieCourante < 0)
            throw EErreurBase(
                "Erreur : aucune catégorie n'est choisie : le template n'a pas été sauvegardé.");
        auto modele = std::make_unique<TTemplate>(agence, utilisateur, idCategorieCourante);
        modele->setNom(nomSaisi);
        modele->setTexte(texteSaisi);
        if (!modele->Sauvegarder())
            throw EErreurBase(QStringLiteral("Erreur : le template « %1 » n'a pas été sauvegardé.")
                                  .arg(nomSaisi));
        ChargerTemplates(idCategorieCourante).push_back(std::move(modele));
        // Appended after the others; "<Nouveau>" stays the combo's text and entry.
        combo_template->addItem(nomSaisi);
    } else {
        TTemplate* modele = TemplateNomme(nom);
        // A save that stores nothing must not look like one that did: the edit stays pending.
        if (!modele)
            throw EErreurBase(QStringLiteral("Erreur : aucun template ne porte le nom « %1 » "
                                             "dans la catégorie choisie : le template n'a pas "
                                             "été sauvegardé.")
                                  .arg(nom));
        SauvegarderOuRetablir(
            *modele,
            [&](TTemplate& m) {
                m.setNom(nomSaisi);
                m.setTexte(texteSaisi);
            },
            QStringLiteral("Erreur : le template « %1 » n'a pas été sauvegardé : il n'existe "
                           "plus dans la base.")
                .arg(modele->nom()));

        // The saved template's entry moves to the end, under its new name.
        const QString saisieCombo = combo_template->currentText();
        const int curseur = combo_template->lineEdit()->cursorPosition();
        const int entree = EntreeTemplate(nom);
        if (entree >= 0) combo_template->removeItem(entree);
        combo_template->addItem(nomSaisi);
        if (pendantSaisie) {
            // The user is typing in the combo: what was typed stays.
            combo_template->setEditText(saisieCombo);
            combo_template->lineEdit()->setCursorPosition(curseur);
            entreeTemplateOuvert = -1;
        } else {
            entreeTemplateOuvert = combo_template->count() - 1;
            combo_template->setCurrentIndex(entreeTemplateOuvert);
            texteTemplateOuvert = nomSaisi;
        }
    }
    Marquer(label_nomTemplate, false);
    Marquer(label_message, false);
    templateModifie = false;
}

void TFicheConfiguration::btnAnnulerTemplateClick() {
    templateModifie = false;
    combo_templateSelect();
}
