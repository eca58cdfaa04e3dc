#pragma once

#include <functional>

class QEvent;
class QIcon;
class QWidget;

// What the three windows share in the way they present themselves.

// The program's icon, in the sizes a title bar and a task bar ask for.
QIcon IconeProgramme();

// First thing in a window's constructor: the program's icon on the window, and so on its
// task-bar entry; the window and its controls as assistive technology should see them.
void PreparerFenetre(QWidget* fenetre);

// Places the window in the middle of its screen's free area.
void CentrerFenetre(QWidget* fenetre);

// The host starts the program for one window: at its first show it is centred and comes
// to the front, which also runs the opening steps where no window manager hands out the
// activation; at its first activation, `ouverture` runs once (what escapes it is shown).
// Called from the window's event() with its own flag.
void OuvrirALaPremiereActivation(QWidget* fenetre, QEvent* evenement, bool& ouverte,
                                 const std::function<void()>& ouverture);

// A window's first opening step: the data module opens the base under the wait cursor,
// since another workstation may hold it until the busy budget runs out. The cursor is
// back before any error is shown.
void OuvrirBaseSousSablier();
