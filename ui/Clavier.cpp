#include "ui/Clavier.h"

#include <QPushButton>
#include <QWidget>

void BoutonsSurEntree(QWidget* fenetre) {
    for (QPushButton* bouton : fenetre->findChildren<QPushButton*>()) bouton->setAutoDefault(true);
}
