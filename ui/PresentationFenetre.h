#pragma once

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
