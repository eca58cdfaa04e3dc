#include "ui/Tficheconfiguration.h"

#include <QEvent>

#include "envoi/Tbalises.h"
#include "platform/AfficherErreur.h"
#include "platform/TIniFile.h"

TFicheConfiguration* FicheConfiguration = nullptr;

TFicheConfiguration::TFicheConfiguration(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Configuration du Parlivo"));
    setFixedSize(517, 612);
}

TFicheConfiguration::~TFicheConfiguration() = default;

bool TFicheConfiguration::event(QEvent* evenement) {
    if (evenement->type() == QEvent::WindowActivate && !ouverte) {
        ouverte = true;
        Proteger([this] { FormActivate(); });
    }
    return QWidget::event(evenement);
}

void TFicheConfiguration::FormActivate() { LireFichierParametres(); }

void TFicheConfiguration::LireFichierParametres() {
    const TIniFile ini(fichierParametres);
    agence = ini.ReadString(QStringLiteral("Config"), QStringLiteral("Agence"), QString(""));
    utilisateur =
        ini.ReadString(QStringLiteral("Config"), QStringLiteral("Utilisateur"), QString(""));
    ListerBalisesSection(QStringLiteral("Societe"));
    ListerBalisesSection(QStringLiteral("Dossier"));
    ListerBalisesSection(QStringLiteral("Client"));
}

void TFicheConfiguration::ListerBalisesSection(const QString& section) {
    QStringList cles;
    TIniFile(fichierParametres).ReadSection(section, cles);
    for (const QString& cle : cles) listeBalises.Ajouter(TBalises::TexteBalise(section, cle));
}
