#include "ui/Ficheenvoisms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QWindow>
#include <algorithm>

#include "data/Datamoduleabs.h"
#include "data/Fonctions_bd.h"
#include "data/Tcategorie.h"
#include "data/Tconfigurationapi.h"
#include "data/Ttemplate.h"
#include "envoi/DateEnvoi.h"
#include "envoi/RemplacerBalises.h"
#include "envoi/Tenvoisms.h"
#include "platform/AfficherErreur.h"
#include "platform/Dialogues.h"
#include "ui/Accessibilite.h"
#include "ui/ChargementListes.h"
#include "ui/Clavier.h"
#include "ui/Police.h"
#include "ui/PresentationFenetre.h"
#include "ui/Recordnomme.h"
#include "ui/Textememo.h"
#include "ui/Tparametreshote.h"
#include "ui/Ttrinoms.h"

TFormEnvoiSMS* FormEnvoiSMS = nullptr;

// The images live in a static library: without this call the linker leaves them out.
static void ChargerImagesEnvoi() {
    static const bool chargees = [] {
        Q_INIT_RESOURCE(Ficheenvoisms);
        return true;
    }();
    (void)chargees;
}

namespace {

// Red for a field to correct, else the system's window-text colour.
void ColorerLibelle(QLabel* libelle, bool rouge) {
    QPalette palette = libelle->palette();
    palette.setColor(
        QPalette::WindowText,
        rouge ? QColor(255, 0, 0) : QApplication::palette().color(QPalette::WindowText));
    libelle->setPalette(palette);
}

// A template's line breaks, whichever the text was stored with, become the box's lines.
QString LignesDuTexte(QString texte) {
    texte.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texte.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return texte;
}

bool EstSaisie(const QEvent* evenement) {
    switch (evenement->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

}  // namespace

TFormEnvoiSMS::TFormEnvoiSMS(QWidget* parent)
    : TFenetreMode(parent), envoi(std::make_unique<TEnvoiSms>()) {
    setWindowTitle(QStringLiteral("Parlivo - Version 1.0 du 10/06/2024"));
    setFixedSize(470, 653);
    setFont(PoliceTahoma(8));
    ChargerImagesEnvoi();
    CreerControles();
    PlacerControles();
    RelierControles();
    BoutonsSurEntree(this);
    RendreAccessible(this);
    // The wait shows in the window itself, also where the wait cursor does not.
    envoi->DefinirDebutRequete([this] { AfficherReponse(QStringLiteral("Envoi en cours…")); });
}

void TFormEnvoiSMS::AfficherReponse(const QString& texte) {
    edtReponse->setPlainText(texte);
    // The box takes no focus: the text is also spoken from the control the user is on.
    Annoncer(this, texte);
}

TFormEnvoiSMS::~TFormEnvoiSMS() {
    if (envoiEnCours) qApp->removeEventFilter(this);
}

void TFormEnvoiSMS::CreerControles() {
    auto libelle = [this](const char* nom, const QString& texte) {
        auto* l = new QLabel(texte, this);
        l->setObjectName(QLatin1String(nom));
        l->setFont(PoliceTahoma(10));
        return l;
    };
    auto liste = [this](const char* nom) {
        auto* c = new QComboBox(this);
        c->setObjectName(QLatin1String(nom));
        c->setEditable(false);
        return c;
    };
    auto bouton = [this](const char* nom, const QString& texte, const char* image, int cote) {
        auto* b = new QPushButton(texte, this);
        b->setObjectName(QLatin1String(nom));
        b->setFont(PoliceTahoma(10));
        b->setIcon(QIcon(QLatin1String(image)));
        b->setIconSize(QSize(cote, cote));
        b->setAutoDefault(false);
        return b;
    };

    label_api = libelle("label_api", QStringLiteral("Service d'expédition :"));
    combo_api = liste("combo_api");
    label_sender = libelle("label_sender", QStringLiteral("Expéditeur :"));
    edtExpediteur = new QLineEdit(this);
    edtExpediteur->setObjectName(QStringLiteral("edtExpediteur"));
    edtExpediteur->setMaxLength(11);
    label_numero = libelle("label_numero", QStringLiteral("Numéro :"));
    edtNumero = new QLineEdit(this);
    edtNumero->setObjectName(QStringLiteral("edtNumero"));
    // A sample of the expected form, never a number to send: the field stays empty until
    // the parameter file or the user fills it.
    edtNumero->setPlaceholderText(QStringLiteral("0600000000"));
    // Only while the field is empty: a screen reader would read it after a real number.
    connect(edtNumero, &QLineEdit::textChanged, edtNumero, [this](const QString& texte) {
        edtNumero->setPlaceholderText(texte.isEmpty() ? QStringLiteral("0600000000") : QString());
    });
    Label2 = libelle("Label2", QStringLiteral("Catégorie :"));
    combo_categorie = liste("combo_categorie");
    Label1 = libelle("Label1", QStringLiteral("Template :"));
    combo_template = liste("combo_template");
    btnRefreshMessage = bouton("btnRefreshMessage", QString(), ":/envoi/recharger.png", 16);
    // The button shows only an image: name it for the keyboard user and assistive technology.
    btnRefreshMessage->setToolTip(QStringLiteral("Recharger le texte du template"));
    btnRefreshMessage->setAccessibleName(QStringLiteral("Recharger le texte du template"));
    label_message = libelle("label_message", QStringLiteral("Message :"));
    memoMessage = new QPlainTextEdit(this);
    memoMessage->setObjectName(QStringLiteral("memoMessage"));
    memoMessage->setFont(PoliceTahoma(10));
    memoMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves to the next field, as in every other field of the window.
    memoMessage->setTabChangesFocus(true);
    // A hint, not text: an untouched box is empty and the send refuses it.
    memoMessage->setPlaceholderText(QStringLiteral("Saisissez ici le texte du message."));
    label_delay = libelle("label_delay", QStringLiteral("Date d'envoi :"));
    dtpDateEnvoi = new QDateTimeEdit(this);
    dtpDateEnvoi->setObjectName(QStringLiteral("dtpDateEnvoi"));
    // Only the date shows; the time of day stays inside the value. A date-only format
    // resets the time to midnight, so the value comes after it.
    dtpDateEnvoi->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    dtpDateEnvoi->setCalendarPopup(true);
    dtpDateEnvoi->setDateTime(QDateTime::currentDateTime());
    label_response = libelle("label_response", QStringLiteral("Réponse : "));
    edtReponse = new QPlainTextEdit(this);
    edtReponse->setObjectName(QStringLiteral("edtReponse"));
    edtReponse->setFont(PoliceTahoma(10));
    edtReponse->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtReponse->setEnabled(false);
    {
        // Menu background; the text keeps the normal colour so that the outcome stays
        // legible in a box that takes no input.
        QPalette palette = edtReponse->palette();
        const QPalette menu = QApplication::palette("QMenu");
        palette.setColor(QPalette::Disabled, QPalette::Base, menu.color(QPalette::Window));
        palette.setColor(QPalette::Disabled, QPalette::Text,
                         QApplication::palette().color(QPalette::Active, QPalette::Text));
        edtReponse->setPalette(palette);
    }
    btnEnvoyer = bouton("btnEnvoyer", QStringLiteral("Envoyer"), ":/envoi/envoyer.png", 32);
    btnQuitter = bouton("btnQuitter", QStringLiteral("Fermer"), ":/envoi/fermer.png", 32);

    label_api->setBuddy(combo_api);
    label_sender->setBuddy(edtExpediteur);
    label_numero->setBuddy(edtNumero);
    Label2->setBuddy(combo_categorie);
    Label1->setBuddy(combo_template);
    label_message->setBuddy(memoMessage);
    label_delay->setBuddy(dtpDateEnvoi);
    label_response->setBuddy(edtReponse);

    // The window's tab order, kept as users know it: the template list comes before the
    // category list.
    const QWidget* ordre[] = {combo_api,       edtExpediteur,     edtNumero,   combo_template,
                              combo_categorie, btnRefreshMessage, memoMessage, dtpDateEnvoi,
                              edtReponse,      btnEnvoyer,        btnQuitter};
    for (std::size_t i = 0; i + 1 < std::size(ordre); ++i)
        setTabOrder(const_cast<QWidget*>(ordre[i]), const_cast<QWidget*>(ordre[i + 1]));
}

// The window's fixed places and sizes at 96 dots per inch. A font larger than Tahoma (the
// desktop's sans when Tahoma is missing) may need more room: a control never gets less
// than its minimum height, a caption always gets its full text, and the response box
// starts after its caption.
void TFormEnvoiSMS::PlacerControles() {
    auto placerLibelle = [](QLabel* l, int x, int y) {
        l->move(x, y);
        l->resize(l->sizeHint());
    };
    auto placer = [](QWidget* w, int x, int y, int largeur, int hauteur) {
        w->setGeometry(x, y, largeur, std::max(hauteur, w->minimumSizeHint().height()));
    };
    placerLibelle(label_api, 8, 8);
    placer(combo_api, 8, 30, 451, 22);
    placerLibelle(label_sender, 8, 58);
    placer(edtExpediteur, 8, 80, 145, 21);
    placerLibelle(label_numero, 8, 107);
    placer(edtNumero, 8, 129, 145, 21);
    placerLibelle(Label2, 8, 156);
    placer(combo_categorie, 8, 178, 451, 22);
    placerLibelle(Label1, 8, 206);
    placer(combo_template, 8, 228, 451, 22);
    placer(btnRefreshMessage, 432, 256, 27, 27);
    placerLibelle(label_message, 8, 267);
    placer(memoMessage, 8, 289, 451, 176);
    placerLibelle(label_delay, 8, 471);
    placer(dtpDateEnvoi, 8, 493, 451, 21);
    placerLibelle(label_response, 8, 527);
    const int gauche = std::max(76, label_response->geometry().right() + 5);
    placer(edtReponse, gauche, 521, 459 - gauche + 1, 69);
    placer(btnEnvoyer, 223, 596, 115, 49);
    placer(btnQuitter, 344, 596, 115, 49);
}

void TFormEnvoiSMS::RelierControles() {
    connect(combo_api, &QComboBox::activated, this,
            [this] { Proteger([&] { combo_apiChange(); }); });
    connect(combo_categorie, &QComboBox::activated, this,
            [this] { Proteger([&] { combo_categorieChange(); }); });
    connect(combo_template, &QComboBox::activated, this,
            [this] { Proteger([&] { combo_templateChange(); }); });
    connect(btnRefreshMessage, &QPushButton::clicked, this,
            [this] { Proteger([&] { btnRefreshMessageClick(); }); });
    connect(edtNumero, &QLineEdit::textChanged, this,
            [this] { Proteger([&] { edtNumeroChange(); }); });
    connect(memoMessage, &QPlainTextEdit::textChanged, this,
            [this] { Proteger([&] { memoMessageChange(); }); });
    connect(btnEnvoyer, &QPushButton::clicked, this,
            [this] { Proteger([&] { btnEnvoyerClick(); }); });
    connect(btnQuitter, &QPushButton::clicked, this,
            [this] { Proteger([&] { btnQuitterClick(); }); });
}

void TFormEnvoiSMS::FormActivate() {
    OuvrirBaseSousSablier();
    LireFichierParametres();

    listeApi = LireServices();
    const qint32 preselection =
        LireParametreEntier(ModuleDonnees().tblParametres, agence, utilisateur,
                            QStringLiteral("UTILISATION"), QStringLiteral("API"), 0);
    const TTriNoms tri;
    const std::vector<int> placesApi = tri.Remplir(combo_api, Noms(listeApi));
    for (size_t i = 0; i < listeApi.size(); ++i)
        if (listeApi[i]->id() == preselection) combo_api->setCurrentIndex(placesApi[i]);
    if (combo_api->currentIndex() < 0 && combo_api->count() > 0) combo_api->setCurrentIndex(0);

    listeCategories = LireCategories();
    const std::vector<int> placesCategories = tri.Remplir(combo_categorie, Noms(listeCategories));
    for (size_t i = 0; i < listeCategories.size(); ++i) {
        if (listeCategories[i]->id_categorie() != categorieDefaut) continue;
        combo_categorie->setCurrentIndex(placesCategories[i]);
        // The host chose the category: it stays for the life of the window.
        combo_categorie->setEnabled(false);
        combo_categorieChange();
    }

    if (combo_template->currentIndex() < 0 && combo_template->count() > 0)
        combo_template->setCurrentIndex(0);
    btnRefreshMessageClick();

    if (const std::optional<qint32> bloquer =
            ResoudreBloquerCreation(ModuleDonnees().tblParametres, agence, utilisateur))
        memoMessage->setReadOnly(*bloquer != 0);
}

void TFormEnvoiSMS::LireFichierParametres() {
    const TParametresHote parametres = TParametresHote::Lire(fichierParametres);
    agence = parametres.agence;
    utilisateur = parametres.utilisateur;
    categorieDefaut = parametres.categorie;
    edtExpediteur->setText(parametres.expediteur);
    edtNumero->setText(parametres.numero);
    // The field starts empty (its sample number is a placeholder), so a file without a
    // number changes no text: the caption still turns red, as for a number emptied.
    edtNumeroChange();
    // The tags are read from the file when a template asks for them.
    for (const char* section : TParametresHote::SectionsBalises)
        balises.DefinirSection(parametres.fichier, QLatin1String(section));
}

void TFormEnvoiSMS::combo_apiChange() { ColorerLibelle(label_api, false); }

void TFormEnvoiSMS::combo_categorieChange() {
    combo_template->clear();
    memoMessage->clear();
    listeTemplates.clear();

    const int index = combo_categorie->currentIndex();
    if (index < 0) return;
    const TCategorie* categorie = RecordNomme(listeCategories, combo_categorie->itemText(index));
    if (categorie == nullptr) return;

    listeTemplates = LireTemplatesCategorie(categorie->id_categorie());
    TTriNoms().Remplir(combo_template, Noms(listeTemplates));
    if (combo_template->currentIndex() < 0 && combo_template->count() > 0)
        combo_template->setCurrentIndex(0);
    btnRefreshMessageClick();
}

void TFormEnvoiSMS::combo_templateChange() { btnRefreshMessageClick(); }

void TFormEnvoiSMS::btnRefreshMessageClick() {
    const int index = combo_template->currentIndex();
    if (index < 0) return;
    const TTemplate* modele = RecordNomme(listeTemplates, combo_template->itemText(index));
    if (modele == nullptr) return;
    QString texte;
    try {
        texte = RemplacerBalises(modele->texte(), balises);
    } catch (const EMessageTropLong& erreur) {
        // Shown here, so that the opening steps after this one (the creation block) run.
        AfficherErreur(erreur);
        return;
    }
    // Written even when the box is read-only: templates stay usable when typing is blocked.
    memoMessage->setPlainText(LignesDuTexte(texte));
}

void TFormEnvoiSMS::edtNumeroChange() { ColorerLibelle(label_numero, edtNumero->text().isEmpty()); }

void TFormEnvoiSMS::memoMessageChange() {
    ColorerLibelle(label_message, memoMessage->toPlainText().isEmpty());
}

void TFormEnvoiSMS::Refuser(const QString& message, QLabel* libelle, QWidget* champ) {
    MessageDlg(message, TTypeDialogue::Erreur, mbOK);
    ColorerLibelle(libelle, true);
    champ->setFocus();
}

void TFormEnvoiSMS::btnEnvoyerClick() {
    // A click that reaches here while a send is waiting for its answer starts nothing.
    if (envoiEnCours) return;

    AfficherReponse(QString());
    dtpDateEnvoi->setDateTime(
        AjusterDateEnvoi(dtpDateEnvoi->dateTime(), QDateTime::currentDateTime()));

    const int index = combo_api->currentIndex();
    if (index < 0) {
        Refuser(QStringLiteral("Erreur : Veuillez sélectionner un service d'expédition."),
                label_api, combo_api);
        return;
    }
    if (edtNumero->text().isEmpty()) {
        Refuser(QStringLiteral("Erreur : Veuillez renseigner un numéro de téléphone."),
                label_numero, edtNumero);
        return;
    }
    const QString message = TexteDuMemo(memoMessage);
    if (message.isEmpty()) {
        Refuser(QStringLiteral("Erreur : Veuillez renseigner un message à envoyer."), label_message,
                memoMessage);
        return;
    }
    const TConfigurationApi* service = RecordNomme(listeApi, combo_api->itemText(index));
    if (service == nullptr) {
        Refuser(QStringLiteral("Erreur : Impossible de trouver le service d'expédition demandé"),
                label_api, combo_api);
        return;
    }

    // Until the outcome is written the window takes no input: no second send, no close.
    // What the user typed or clicked meanwhile is dropped, not played afterwards.
    struct TGardeEnvoi {
        TFormEnvoiSMS* fenetre;
        explicit TGardeEnvoi(TFormEnvoiSMS* f) : fenetre(f) {
            fenetre->envoiEnCours = true;
            qApp->installEventFilter(fenetre);
        }
        ~TGardeEnvoi() {
            QCoreApplication::processEvents();
            qApp->removeEventFilter(fenetre);
            fenetre->envoiEnCours = false;
        }
        TGardeEnvoi(const TGardeEnvoi&) = delete;
        TGardeEnvoi& operator=(const TGardeEnvoi&) = delete;
    } garde(this);

    envoi->Envoyer({.service = *service,
                    .numero = edtNumero->text(),
                    .message = message,
                    .expediteur = edtExpediteur->text(),
                    .dateEnvoi = dtpDateEnvoi->dateTime(),
                    .agence = agence,
                    .utilisateur = utilisateur},
                   balises, [this](const QString& resultat) { AfficherReponse(resultat); });
}

bool TFormEnvoiSMS::eventFilter(QObject* objet, QEvent* evenement) {
    if (envoiEnCours && EstSaisie(evenement)) {
        if (objet == windowHandle()) return true;
        if (objet->isWidgetType() && static_cast<QWidget*>(objet)->window() == this) return true;
    }
    return QWidget::eventFilter(objet, evenement);
}

void TFormEnvoiSMS::btnQuitterClick() { close(); }

void TFormEnvoiSMS::closeEvent(QCloseEvent* evenement) {
    if (envoiEnCours) {
        evenement->ignore();
        return;
    }
    Proteger([this] { FormClose(); });
    evenement->accept();
}

void TFormEnvoiSMS::FormClose() {
    // The records go even when the database refuses to close.
    struct TLiberation {
        TFormEnvoiSMS* f;
        ~TLiberation() {
            f->listeApi.clear();
            f->listeCategories.clear();
            f->listeTemplates.clear();
        }
    } liberation{this};
    if (DataModuleAbs != nullptr) DataModuleAbs->FermerBase();
}
