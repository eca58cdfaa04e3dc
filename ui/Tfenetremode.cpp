#include "ui/Tfenetremode.h"

#include "ui/PresentationFenetre.h"

TFenetreMode::TFenetreMode(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    PreparerFenetre(this);
}

bool TFenetreMode::event(QEvent* evenement) {
    // The host starts the program for this one window: it comes to the front, which also
    // runs the opening steps where no window manager hands out the activation.
    OuvrirALaPremiereActivation(this, evenement, ouverte, [this] { FormActivate(); });
    return QWidget::event(evenement);
}
