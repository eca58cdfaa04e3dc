#include "ui/Tpagecontrol.h"

#include <QKeyEvent>

#include "ui/Tbarreonglets.h"

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent), barre(new TBarreOnglets(this)) {
    barre->setObjectName(QStringLiteral("PageControlOnglets"));
    setTabBar(barre);
    connect(barre, &TBarreOnglets::avantChangement, this, &TPageControl::avantChangement);
}

void TPageControl::ChangerOnglet(int index) {
    barre->Intercepter([&] { setCurrentIndex(index); });
}

void TPageControl::keyPressEvent(QKeyEvent* evenement) {
    barre->Intercepter([&] { QTabWidget::keyPressEvent(evenement); });
}
