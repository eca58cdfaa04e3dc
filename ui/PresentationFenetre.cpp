#include "ui/PresentationFenetre.h"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWidget>

#include "data/Datamoduleabs.h"
#include "platform/AfficherErreur.h"
#include "platform/Sablier.h"
#include "ui/Accessibilite.h"
#include "ui/ChargementListes.h"

QIcon IconeProgramme() {
    // Decoded once: the application keeps it, for its dialogs too, and every window shares
    // it.
    if (!QGuiApplication::windowIcon().isNull()) return QGuiApplication::windowIcon();
    // The images live in a static library: without this call the linker leaves them out.
    static const bool chargees = [] {
        Q_INIT_RESOURCE(programme);
        return true;
    }();
    (void)chargees;
    QIcon icone;
    for (const int cote : {16, 32, 64})
        icone.addFile(QStringLiteral(":/programme/parlivo-%1.png").arg(cote), QSize(cote, cote));
    QGuiApplication::setWindowIcon(icone);
    return icone;
}

void PreparerFenetre(QWidget* fenetre) {
    InstallerAccessibilite();
    fenetre->setWindowIcon(IconeProgramme());
}

void CentrerFenetre(QWidget* fenetre) {
    const QScreen* ecran = fenetre->screen();
    if (ecran == nullptr) ecran = QGuiApplication::primaryScreen();
    if (ecran == nullptr) return;
    // A window's position is that of its frame, title bar included.
    const QRect cadre(QPoint(0, 0), fenetre->frameGeometry().size());
    fenetre->move(ecran->availableGeometry().center() - cadre.center());
}

void OuvrirALaPremiereActivation(QWidget* fenetre, QEvent* evenement, bool& ouverte,
                                 const std::function<void()>& ouverture) {
    if (ouverte) return;
    if (evenement->type() == QEvent::Show) {
        CentrerFenetre(fenetre);
        fenetre->activateWindow();
    } else if (evenement->type() == QEvent::WindowActivate) {
        ouverte = true;
        Proteger(ouverture);
    }
}

void OuvrirBaseSousSablier() {
    const TSablier sablier;
    ModuleDonnees().OuvrirBase();
}
