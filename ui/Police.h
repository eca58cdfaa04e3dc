#pragma once

#include <QFont>

// Tahoma where the system has it (Debian's fonts-wine ships a compatible file outside
// fontconfig's path), else the desktop's sans.
QFont PoliceTahoma(int points);
