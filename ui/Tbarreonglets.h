#pragma once

#include <QTabBar>
#include <functional>

// The tab bar of TPageControl. Every change of the current tab that the user makes with it
// (mouse, arrow keys, wheel, mnemonic) is announced by avantChangement() while the old tab
// is still the current one; the change then always goes ahead.
class TBarreOnglets : public QTabBar {
    Q_OBJECT
  public:
    explicit TBarreOnglets(QWidget* parent = nullptr);

    // Runs traitement, which may move the current tab as QTabBar does on a user action.
    // A move is held back: avantChangement() is emitted with the old tab still current,
    // then the move is made, with the usual signals.
    void Intercepter(const std::function<void()>& traitement);

  signals:
    void avantChangement();

  protected:
    bool event(QEvent* evenement) override;
    void mousePressEvent(QMouseEvent* evenement) override;
    void keyPressEvent(QKeyEvent* evenement) override;
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent* evenement) override;
#endif
};
