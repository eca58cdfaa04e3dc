#pragma once

#include <QTabWidget>

class TBarreOnglets;

// A tab widget that announces every change of the active tab made by the user before it
// happens (avantChangement), whether it comes from the tab bar or from the keyboard
// shortcuts of the widget (Ctrl+Tab, Ctrl+PgUp, ...). Changes made by the program
// (setCurrentIndex, hiding the current tab) are not announced. A change is never refused.
class TPageControl : public QTabWidget {
    Q_OBJECT
  public:
    explicit TPageControl(QWidget* parent = nullptr);

    // Makes index the active tab as a user action does: announced first.
    void ChangerOnglet(int index);

  signals:
    void avantChangement();

  protected:
    void keyPressEvent(QKeyEvent* evenement) override;

  private:
    TBarreOnglets* barre;
};
