#include "data/EmplacementBase.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <shlobj.h>
#include <windows.h>
#endif

QString DossierBase(const QString& dossierProgramme, const QString& dossierCommun) {
    const QDir programme(dossierProgramme);
    if (dossierCommun.isEmpty() ||
        QFileInfo::exists(programme.filePath(QStringLiteral("sms.abs"))) ||
        !QFileInfo::exists(programme.filePath(QLatin1String(NomFichierInstallation))))
        return dossierProgramme;
    return dossierCommun;
}

QString DossierCommun() {
#ifdef Q_OS_WIN
    PWSTR chemin = nullptr;
    QString dossier;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &chemin)))
        dossier = QDir::fromNativeSeparators(QString::fromWCharArray(chemin)) +
                  QStringLiteral("/Parlivo");
    // Freed whether the call succeeded or not, as its documentation asks.
    CoTaskMemFree(chemin);
    return dossier;
#else
    return QString();
#endif
}
