#include "ui/Tfichehistorique.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "data/Datamoduleabs.h"
#include "data/Requetehistorique.h"
#include "data/Thistorique.h"
#include "platform/AfficherErreur.h"
#include "platform/FormatDateTime.h"
#include "platform/Sablier.h"
#include "ui/Accessibilite.h"
#include "ui/ChargementListes.h"
#include "ui/Clavier.h"
#include "ui/Police.h"
#include "ui/PresentationFenetre.h"
#include "ui/Tdatesaffichees.h"
#include "ui/Tmodelehistorique.h"
#include "ui/Tparametreshote.h"
#include "ui/Ttextespartages.h"

TFicheHistorique* FicheHistorique = nullptr;

namespace {

// A date picker with its check box: the box says whether the date is a criterion; the
// date can be changed only while it is.
QDateEdit* CreerDate(QWidget* parent, const QString& nom, QCheckBox*& coche,
                     const QString& nomAccessible) {
    coche = new QCheckBox(parent);
    coche->setObjectName(QStringLiteral("cb") + nom);
    coche->setAccessibleName(nomAccessible);
    coche->setChecked(false);
    auto* date = new QDateEdit(QDate::currentDate(), parent);
    date->setObjectName(nom);
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    date->setEnabled(false);
    QObject::connect(coche, &QCheckBox::toggled, date, &QWidget::setEnabled);
    return date;
}

QLabel* CreerLibelle(QWidget* parent, const QString& nom, const QString& texte) {
    auto* libelle = new QLabel(texte, parent);
    libelle->setObjectName(nom);
    return libelle;
}

// The names of a date group box's parts, and where to put them.
struct TNomsDates {
    QString groupe, libelleDu, debut, libelleAu, fin;
};
struct TPartiesDates {
    QLabel** libelleDu;
    QCheckBox** cocheDebut;
    QDateEdit** debut;
    QLabel** libelleAu;
    QCheckBox** cocheFin;
    QDateEdit** fin;
};

// A range of dates: "Du" and "Au", each a picker with its check box.
QGroupBox* CreerGroupeDates(QWidget* parent, const QString& titre, const TNomsDates& noms,
                            const TPartiesDates& parties) {
    auto* groupe = new QGroupBox(titre, parent);
    groupe->setObjectName(noms.groupe);
    auto* grille = new QGridLayout(groupe);
    const struct {
        QString libelle, date, texte, nomAccessible;
        QLabel** etiquette;
        QCheckBox** coche;
        QDateEdit** picker;
    } lignes[] = {
        {noms.libelleDu, noms.debut, QStringLiteral("Du"), titre + QStringLiteral(" du : critère"),
         parties.libelleDu, parties.cocheDebut, parties.debut},
        {noms.libelleAu, noms.fin, QStringLiteral("Au"), titre + QStringLiteral(" au : critère"),
         parties.libelleAu, parties.cocheFin, parties.fin},
    };
    int rang = 0;
    for (const auto& l : lignes) {
        *l.etiquette = CreerLibelle(groupe, l.libelle, l.texte);
        *l.picker = CreerDate(groupe, l.date, *l.coche, l.nomAccessible);
        grille->addWidget(*l.etiquette, rang, 0);
        grille->addWidget(*l.coche, rang, 1);
        grille->addWidget(*l.picker, rang, 2);
        (*l.etiquette)->setBuddy(*l.picker);
        ++rang;
    }
    return groupe;
}

}  // namespace

TFicheHistorique::TFicheHistorique(QWidget* parent) : TFenetreMode(parent) {
    setWindowTitle(QStringLiteral("Historique"));
    setFixedSize(816, 476);
    setFont(PoliceTahoma(8));

    // Creation dates.
    gbCreation =
        CreerGroupeDates(this, QStringLiteral("Date de création"),
                         {QStringLiteral("gbCreation"), QStringLiteral("Label_creation_du"),
                          QStringLiteral("DateCreationDebut"), QStringLiteral("Label_creation_au"),
                          QStringLiteral("DateCreationFin")},
                         {&Label_creation_du, &cbDateCreationDebut, &DateCreationDebut,
                          &Label_creation_au, &cbDateCreationFin, &DateCreationFin});

    // Sender and recipient.
    auto* zoneTextes = new QWidget(this);
    zoneTextes->setObjectName(QStringLiteral("zoneTextes"));
    label_epediteur =
        CreerLibelle(zoneTextes, QStringLiteral("label_epediteur"), QStringLiteral("Expéditeur"));
    edit_expediteur = new QLineEdit(zoneTextes);
    edit_expediteur->setObjectName(QStringLiteral("edit_expediteur"));
    label_destinataire = CreerLibelle(zoneTextes, QStringLiteral("label_destinataire"),
                                      QStringLiteral("Destinataire"));
    edit_destinataire = new QLineEdit(zoneTextes);
    edit_destinataire->setObjectName(QStringLiteral("edit_destinataire"));
    label_epediteur->setBuddy(edit_expediteur);
    label_destinataire->setBuddy(edit_destinataire);
    auto* grilleTextes = new QGridLayout(zoneTextes);
    grilleTextes->setContentsMargins(0, 8, 0, 0);
    grilleTextes->addWidget(label_epediteur, 0, 0);
    grilleTextes->addWidget(edit_expediteur, 0, 1);
    grilleTextes->addWidget(label_destinataire, 1, 0);
    grilleTextes->addWidget(edit_destinataire, 1, 1);

    // Send dates.
    gbEnvoi = CreerGroupeDates(this, QStringLiteral("Date d'envoi"),
                               {QStringLiteral("gbEnvoi"), QStringLiteral("label_envoi_du"),
                                QStringLiteral("DateEnvoiDebut"), QStringLiteral("label_envoi_au"),
                                QStringLiteral("DateEnvoiFin")},
                               {&label_envoi_du, &cbDateEnvoiDebut, &DateEnvoiDebut,
                                &label_envoi_au, &cbDateEnvoiFin, &DateEnvoiFin});
    // State: four choices in two columns, filled column by column.
    rgEtat = new QGroupBox(QStringLiteral("Etat"), this);
    rgEtat->setObjectName(QStringLiteral("rgEtat"));
    boutonsEtat = new QButtonGroup(rgEtat);
    boutonsEtat->setObjectName(QStringLiteral("boutonsEtat"));
    auto* grilleEtat = new QGridLayout(rgEtat);
    const char* const etats[] = {"Tous", "En cours", "Envoyé", "Erreur"};
    for (int i = 0; i < 4; ++i) {
        auto* bouton = new QRadioButton(QString::fromUtf8(etats[i]), rgEtat);
        bouton->setObjectName(QStringLiteral("rgEtat%1").arg(i));
        boutonsEtat->addButton(bouton, i);
        grilleEtat->addWidget(bouton, i % 2, i / 2);
    }
    boutonsEtat->button(0)->setChecked(true);

    btnRechercher = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                    QStringLiteral("Rechercher"), this);
    btnRechercher->setObjectName(QStringLiteral("btnRechercher"));
    btnRechercher->setDefault(true);

    // Results.
    modele = new TModeleHistorique(this);
    modele->setObjectName(QStringLiteral("modeleHistorique"));
    ListView = new QTableView(this);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->setAccessibleName(QStringLiteral("Historique des envois"));
    ListView->setModel(modele);
    ListView->setShowGrid(true);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the next control; the arrows move between its rows.
    ListView->setTabKeyNavigation(false);
    ListView->setWordWrap(false);
    ListView->setTextElideMode(Qt::ElideRight);
    ListView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Row heights are all the same and never measured from the contents, so that a long
    // result costs nothing to lay out.
    QHeaderView* lignes = ListView->verticalHeader();
    lignes->hide();
    lignes->setSectionResizeMode(QHeaderView::Fixed);
    lignes->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* entetes = ListView->horizontalHeader();
    entetes->setHighlightSections(false);
    entetes->setSectionResizeMode(QHeaderView::Stretch);
    entetes->setSectionResizeMode(0, QHeaderView::Fixed);
    entetes->resizeSection(0, 60);

    btnQuitter = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                 QStringLiteral("Fermer"), this);
    btnQuitter->setObjectName(QStringLiteral("btnQuitter"));

    // Placement: the criteria in one band, the list below, the close button at the bottom.
    auto* criteres = new QHBoxLayout;
    criteres->addWidget(gbCreation);
    criteres->addWidget(zoneTextes, 1);
    criteres->addWidget(gbEnvoi);
    criteres->addWidget(rgEtat);
    auto* colonneBouton = new QVBoxLayout;
    colonneBouton->addStretch(1);
    colonneBouton->addWidget(btnRechercher);
    criteres->addLayout(colonneBouton);
    auto* bas = new QHBoxLayout;
    bas->addStretch(1);
    bas->addWidget(btnQuitter);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(criteres);
    principal->addWidget(ListView, 1);
    principal->addLayout(bas);

    connect(btnRechercher, &QPushButton::clicked, this,
            [this] { Proteger([this] { btnRechercherClick(); }); });
    connect(btnQuitter, &QPushButton::clicked, this,
            [this] { Proteger([this] { btnQuitterClick(); }); });
    BoutonsSurEntree(this);
    RendreAccessible(this);
}

TFicheHistorique::~TFicheHistorique() = default;

void TFicheHistorique::FormActivate() {
    OuvrirBaseSousSablier();
    btnRechercherClick();
}

void TFicheHistorique::DefinirFichierParametres(const QString& chemin) {
    const TParametresHote parametres = TParametresHote::Lire(chemin);
    agence = parametres.agence;
    utilisateur = parametres.utilisateur;
}

int TFicheHistorique::EtatChoisi() const { return boutonsEtat->checkedId(); }

void TFicheHistorique::ChoisirEtat(int index) {
    if (QAbstractButton* bouton = boutonsEtat->button(index)) bouton->setChecked(true);
}

void TFicheHistorique::btnQuitterClick() { close(); }

TCriteresHistorique TFicheHistorique::Criteres() const {
    auto date = [](const QCheckBox* coche, const QDateEdit* picker) {
        return coche->isChecked() ? std::optional<QDate>(picker->date()) : std::nullopt;
    };
    return {.agence = agence,
            .utilisateur = utilisateur,
            .creationDebut = date(cbDateCreationDebut, DateCreationDebut),
            .creationFin = date(cbDateCreationFin, DateCreationFin),
            .expediteur = edit_expediteur->text(),
            .destinataire = edit_destinataire->text(),
            .envoiDebut = date(cbDateEnvoiDebut, DateEnvoiDebut),
            .envoiFin = date(cbDateEnvoiFin, DateEnvoiFin),
            .etat = EtatChoisi()};
}

void TFicheHistorique::btnRechercherClick() {
    // The list is emptied now and shows the new rows at the end, in one reset of the view.
    TModeleHistorique::TRemise remise(*modele);
    std::unique_ptr<TRequete> requete = ModuleDonnees().CreerRequete();
    const TSablier sablier;

    const TRequeteHistorique r = ConstruireRequeteHistorique(Criteres());
    requete->SQL = r.lignes;
    for (const auto& [nom, valeur] : r.parametres) {
        if (valeur.metaType() == QMetaType::fromType<QDateTime>())
            requete->ParamDate(nom, valeur.toDateTime());
        else
            requete->ParamTexte(nom, valeur.toString());
    }

    // Columns of the list, the fields of THistorique::TColonnesBrutes in the same order.
    enum {
        cAgence,
        cUtilisateur,
        cDateCreation,
        cExpediteur,
        cDestinataire,
        cMessage,
        cDateEnvoi,
        cEtat
    };
    TModeleHistorique::TContenu contenu;
    TTextesPartages agences(contenu, cAgence), utilisateurs(contenu, cUtilisateur),
        expediteurs(contenu, cExpediteur), etats(contenu, cEtat);
    // One per column: rows in time order repeat the previous row's day in each.
    TDatesAffichees creations(contenu), envois(contenu);
    THistorique::ParcourirLignes(*requete, [&](const THistorique::TColonnesBrutes& c) {
        contenu.NouvelleLigne();
        agences.Ecrire(c[cAgence]);
        utilisateurs.Ecrire(c[cUtilisateur]);
        contenu.Commun(cDateCreation, creations.Numero(c[cDateCreation]));
        expediteurs.Ecrire(c[cExpediteur]);
        contenu.Octets(cDestinataire, c[cDestinataire]);
        contenu.Octets(cMessage, c[cMessage]);
        contenu.Commun(cDateEnvoi, envois.Numero(c[cDateEnvoi]));
        etats.Ecrire(c[cEtat]);
    });
    requete->Fermer();
    remise.Terminer(std::move(contenu));
}
