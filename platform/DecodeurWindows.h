#pragma once

#include <QtGlobal>
#ifdef Q_OS_WIN
#include <QByteArray>
#include <QString>
#include <optional>

// Qt for Windows is built without ICU, so QStringDecoder knows only the UTF encodings and
// Latin-1: an answer declared "windows-1252", "iso-8859-15" or "shift_jis" would turn into
// U+FFFD. Windows itself knows every charset name a web server sends (MLang gives its code
// page) and decodes it (MultiByteToWideChar). Empty when Windows knows no such charset.
std::optional<QString> DecoderPageDeCode(const QByteArray& octets, const QByteArray& jeu);
#endif
