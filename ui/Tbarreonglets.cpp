#include "ui/Tbarreonglets.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QWheelEvent>

TBarreOnglets::TBarreOnglets(QWidget* parent) : QTabBar(parent) {}

void TBarreOnglets::Intercepter(const std::function<void()>& traitement) {
    const int avant = currentIndex();
    int apres = avant;
    {
        // QTabBar moves the tab inside its own event handlers and only then says so: let it
        // move silently, note where it went, and put the old tab back.
        const QSignalBlocker silence(this);
        traitement();
        apres = currentIndex();
        if (apres != avant) setCurrentIndex(avant);
    }
    if (apres == avant) return;
    emit avantChangement();
    // The listener may have hidden or disabled the tab meanwhile.
    if (apres >= 0 && apres < count() && isTabVisible(apres) && isTabEnabled(apres))
        setCurrentIndex(apres);
}

bool TBarreOnglets::event(QEvent* evenement) {
    if (evenement->type() == QEvent::Shortcut) {
        bool traite = false;
        Intercepter([&] { traite = QTabBar::event(evenement); });
        return traite;
    }
    return QTabBar::event(evenement);
}

void TBarreOnglets::mousePressEvent(QMouseEvent* evenement) {
    Intercepter([&] { QTabBar::mousePressEvent(evenement); });
}

void TBarreOnglets::keyPressEvent(QKeyEvent* evenement) {
    Intercepter([&] { QTabBar::keyPressEvent(evenement); });
}

#if QT_CONFIG(wheelevent)
void TBarreOnglets::wheelEvent(QWheelEvent* evenement) {
    Intercepter([&] { QTabBar::wheelEvent(evenement); });
}
#endif
