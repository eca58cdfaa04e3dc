#pragma once

#include <QString>
#include <QStringList>

// The administrator's log: every error shown to the user and every send that did not end
// in "Envoyé" is also written to the system log (syslog, identity "parlivo"), so that
// `journalctl -t parlivo` lists a day's failures; on Windows, to the Application event log
// under the source "parlivo". A line carries the mode, the agency and
// the user; never a service's key nor a message's text.

// Who is working, for every line that follows (set at start-up, from the parameter file).
void DefinirContexteJournal(const QString& mode, const QString& agence, const QString& utilisateur);

// An error shown to the user (priority LOG_ERR; an error event on Windows).
void JournaliserErreur(const QString& texte);

// A send whose outcome is not "Envoyé" (priority LOG_WARNING; a warning event on Windows).
// `secrets` (the service's key, the message) are masked wherever they would appear in the outcome
// text.
void JournaliserEnvoi(const QString& agence, const QString& utilisateur, const QString& service,
                      const QString& etat, const QStringList& secrets);

// A text fit for one log line: on one line, cut to a bounded length, every URL without
// its query string (where keys and messages travel), and each secret of four characters
// or more replaced by "***".
QString TexteJournal(const QString& texte, const QStringList& secrets = {});
