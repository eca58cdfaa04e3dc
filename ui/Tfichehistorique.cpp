#include "ui/Tfichehistorique.h"

#include <QEvent>

#include "platform/AfficherErreur.h"
#include "platform/TIniFile.h"

TFicheHistorique* FicheHistorique = nullptr;

TFicheHistorique::TFicheHistorique(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Historique"));
    setFixedSize(816, 476);
}

TFicheHistorique::~TFicheHistorique() = default;

bool TFicheHistorique::event(QEvent* evenement) {
    if (evenement->type() == QEvent::WindowActivate && !ouverte) {
        ouverte = true;
        Proteger([this] { FormActivate(); });
    }
    return QWidget::event(evenement);
}

void TFicheHistorique::FormActivate() {}

void TFicheHistorique::DefinirFichierParametres(const QString& chemin) {
    const TIniFile ini(chemin);
    agence = ini.ReadString(QStringLiteral("Config"), QStringLiteral("Agence"), QString(""));
    utilisateur =
        ini.ReadString(QStringLiteral("Config"), QStringLiteral("Utilisateur"), QString(""));
}
