#pragma once

#include <QString>

// Query encoding of a request URL, one piece at a time, so that the text a user typed
// can never change the request's structure.

// A parameter value: its UTF-8 octets, every one percent-encoded except the unreserved
// characters (A-Z a-z 0-9 - . _ ~). "&", "=", "+", "#", "%", "?" and "/" are encoded, so
// a value always reaches the service exactly as given.
QString EncoderValeur(const QString& valeur);

// The base URL or a parameter name: its structure (":", "/", "?", "&", "=", "#", an
// existing "%XX") is kept and only what may not stand in a URL is encoded, as UTF-8:
// spaces, control characters, characters outside ASCII, the characters " < > \ ^ ` { | }
// and a "%" that does not start a percent sequence.
QString EncoderStructure(const QString& texte);
