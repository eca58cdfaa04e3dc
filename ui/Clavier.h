#pragma once

class QWidget;

// Enter on a focused button presses it, as Windows users expect; Qt does this by itself
// only inside a QDialog, and our windows are plain top-level widgets.
void BoutonsSurEntree(QWidget* fenetre);
