#pragma once

#include <QString>

#include "envoi/Tbalises.h"

// The text with every tag of the dictionary replaced by its value. The tags are taken in
// the dictionary's order, each one replacing all its occurrences (exact, case-sensitive)
// in the text left by the previous ones; a value is not searched again for its own tag.
QString RemplacerBalises(const QString& texte, const TBalises& balises);
