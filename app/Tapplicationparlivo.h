#pragma once

#include <QApplication>

// The application object: the program's dialogs are Qt's modal ones, and an exception that
// leaves an event handler is shown in a message box carrying its text, and the event loop
// goes on.
class TApplicationParlivo : public QApplication {
  public:
    TApplicationParlivo(int& argc, char** argv);
    ~TApplicationParlivo() override;
    bool notify(QObject* destinataire, QEvent* evenement) override;
};
