#pragma once

#include <QApplication>
#include <QTranslator>

// The application object: the program's dialogs are Qt's modal ones, and an exception that
// leaves an event handler is shown in a message box carrying its text, and the event loop
// goes on. When the user's language is French, the toolkit's own texts (standard buttons,
// context menus, calendar) are French too.
class TApplicationParlivo : public QApplication {
  public:
    TApplicationParlivo(int& argc, char** argv);
    ~TApplicationParlivo() override;
    bool notify(QObject* destinataire, QEvent* evenement) override;

    // True when the toolkit's French catalogue is installed.
    bool TraductionChargee() const { return traductionChargee; }

  private:
    QTranslator traductionQt;
    bool traductionChargee = false;
};
