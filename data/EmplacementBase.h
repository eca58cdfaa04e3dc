#pragma once

#include <QString>

// Where the program looks for sms.abs when it is given no folder.
//
// A copy that the Windows installer put in Program Files has the file installation.txt
// beside its executable. The workstation's users cannot write Program Files, so such a copy
// keeps its base in the shared data folder the installer made for them (%ProgramData%\Parlivo).
// A folder that holds sms.abs itself keeps its own base: a portable copy, or an installed
// copy whose administrator put the base beside it, works as it always did. Everywhere else
// (Linux, whose package links sms.abs into the program's folder) the base is beside the
// executable.
inline constexpr const char* NomFichierInstallation = "installation.txt";

// dossierProgramme: the executable's folder; dossierCommun: the shared data folder, empty
// when there is none.
QString DossierBase(const QString& dossierProgramme, const QString& dossierCommun);

// The shared data folder of an installed copy: %ProgramData%\Parlivo on Windows (the known
// folder, whatever drive or name the system gives it); empty elsewhere.
QString DossierCommun();
