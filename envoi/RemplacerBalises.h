#pragma once

#include <QString>
#include <stdexcept>

#include "envoi/Tbalises.h"

// Raised when the text passes TBalises::LongueurMaximale characters while its tags are
// replaced: values that hold later tags could otherwise make it grow without end.
class EMessageTropLong : public std::runtime_error {
  public:
    EMessageTropLong();
};

// The text with every tag of the dictionary replaced by its value. The tags are taken in
// the dictionary's order, each one replacing all its occurrences (exact, case-sensitive)
// in the text left by the previous ones; a value is not searched again for its own tag.
// Raises EMessageTropLong as soon as the text passes TBalises::LongueurMaximale.
QString RemplacerBalises(const QString& texte, const TBalises& balises);
