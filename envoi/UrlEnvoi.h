#pragma once

#include <QDateTime>
#include <QString>

class TConfigurationApi;

// The number as sent and stored: every space, "." and "-" removed; nothing else touched
// (a leading "+", brackets, letters stay).
QString NettoyerNumero(const QString& numero);

// The request URL of one send, ready to be sent: the service's url, "?" (added even when
// the url already ends with one), then cle_api=cle, numero=number, message=text, the
// sender piece when the sender is not empty and the date piece when the date written by
// the service's format_date is not empty. Each value is encoded on its own (a "&", "="
// or "+" in a message stays part of the message); the url and the parameter names keep
// their structure and are encoded only where a character may not stand in a URL.
QString ConstruireUrlEnvoi(const TConfigurationApi& service, const QString& numero,
                           const QString& message, const QString& expediteur,
                           const QDateTime& dateEnvoi);
