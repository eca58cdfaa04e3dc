#include "ui/Ficheenvoisms.h"

#include <QEvent>

#include "platform/AfficherErreur.h"
#include "platform/TIniFile.h"

TFormEnvoiSMS* FormEnvoiSMS = nullptr;

TFormEnvoiSMS::TFormEnvoiSMS(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Parlivo - Version 1.0 du 10/06/2024"));
    setFixedSize(470, 653);
    edtExpediteur = new QLineEdit(this);
    edtExpediteur->setObjectName(QStringLiteral("edtExpediteur"));
    edtNumero = new QLineEdit(this);
    edtNumero->setObjectName(QStringLiteral("edtNumero"));
}

TFormEnvoiSMS::~TFormEnvoiSMS() = default;

bool TFormEnvoiSMS::event(QEvent* evenement) {
    if (evenement->type() == QEvent::WindowActivate && !ouverte) {
        ouverte = true;
        Proteger([this] { FormActivate(); });
    }
    return QWidget::event(evenement);
}

void TFormEnvoiSMS::FormActivate() { LireFichierParametres(); }

void TFormEnvoiSMS::LireFichierParametres() {
    const TIniFile ini(fichierParametres);
    agence = ini.ReadString(QStringLiteral("Config"), QStringLiteral("Agence"), QString(""));
    utilisateur =
        ini.ReadString(QStringLiteral("Config"), QStringLiteral("Utilisateur"), QString(""));
    categorieDefaut = ini.ReadInteger(QStringLiteral("Config"), QStringLiteral("Categorie"), 0);
    edtExpediteur->setText(
        ini.ReadString(QStringLiteral("Config"), QStringLiteral("Expediteur"), QString("")));
    edtNumero->setText(
        ini.ReadString(QStringLiteral("Config"), QStringLiteral("Numero"), QString("")));
    AjouterBalisesSection(QStringLiteral("Societe"));
    AjouterBalisesSection(QStringLiteral("Dossier"));
    AjouterBalisesSection(QStringLiteral("Client"));
}

void TFormEnvoiSMS::AjouterBalisesSection(const QString& section) {
    const TIniFile ini(fichierParametres);
    QStringList cles;
    ini.ReadSection(section, cles);
    for (const QString& cle : cles)
        balises.Definir(TBalises::TexteBalise(section, cle),
                        ini.ReadString(section, cle, QString("")));
}
