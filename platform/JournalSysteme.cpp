#include "platform/JournalSysteme.h"

#include <QRegularExpression>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>

#include <string>
#else
#include <syslog.h>
#endif

namespace {

struct TContexte {
    QString mode;
    QString agence;
    QString utilisateur;
};

TContexte& Contexte() {
    static TContexte contexte;
    return contexte;
}

constexpr qsizetype LongueurMax = 1000;
// A secret this short would mask ordinary words of the line.
constexpr qsizetype LongueurSecretMin = 4;

QString Quoter(const QString& valeur) {
    QString v = valeur;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

enum class TPriorite { Erreur, Avertissement };

#ifdef Q_OS_WIN
// Windows: the Application event log, source "parlivo", where Event Viewer and the
// administrator's event forwarding already look. Writing there needs no right an ordinary
// user lacks, whereas a file beside the executable would sit in a read-only folder.
void Ecrire(TPriorite priorite, const QString& ligne) {
    static const HANDLE source = RegisterEventSourceW(nullptr, L"parlivo");
    if (source == nullptr) return;
    const std::wstring texte = ligne.toStdWString();
    LPCWSTR chaines[] = {texte.c_str()};
    ReportEventW(source,
                 priorite == TPriorite::Erreur ? EVENTLOG_ERROR_TYPE : EVENTLOG_WARNING_TYPE, 0, 0,
                 nullptr, 1, 0, chaines, nullptr);
}
#else
void Ecrire(TPriorite priorite, const QString& ligne) {
    static const bool ouvert = [] {
        openlog("parlivo", LOG_PID, LOG_USER);
        return true;
    }();
    (void)ouvert;
    syslog(priorite == TPriorite::Erreur ? LOG_ERR : LOG_WARNING, "%s", ligne.toUtf8().constData());
}
#endif

QString Qui(const QString& mode, const QString& agence, const QString& utilisateur) {
    return QStringLiteral("mode=%1 agence=%2 utilisateur=%3")
        .arg(mode.isEmpty() ? QStringLiteral("-") : mode, Quoter(TexteJournal(agence)),
             Quoter(TexteJournal(utilisateur)));
}

}  // namespace

QString TexteJournal(const QString& texte, const QStringList& secrets) {
    QString t = texte;
    for (const QString& secret : secrets)
        if (secret.size() >= LongueurSecretMin) t.replace(secret, QStringLiteral("***"));
    static const QRegularExpression requete(
        QStringLiteral(R"(([a-zA-Z][a-zA-Z0-9+.-]*://[^\s?#]*)\?\S*)"));
    t.replace(requete, QStringLiteral("\\1?..."));
    static const QRegularExpression sauts(QStringLiteral(R"([\r\n\t]+)"));
    t.replace(sauts, QStringLiteral(" "));
    if (t.size() > LongueurMax) t = t.left(LongueurMax) + QStringLiteral("...");
    return t;
}

void DefinirContexteJournal(const QString& mode, const QString& agence,
                            const QString& utilisateur) {
    Contexte() = {mode, agence, utilisateur};
}

void JournaliserErreur(const QString& texte) {
    const TContexte& c = Contexte();
    Ecrire(TPriorite::Erreur, Qui(c.mode, c.agence, c.utilisateur) + QStringLiteral(" erreur=") +
                                  Quoter(TexteJournal(texte)));
}

void JournaliserEnvoi(const QString& agence, const QString& utilisateur, const QString& service,
                      const QString& etat, const QStringList& secrets) {
    Ecrire(TPriorite::Avertissement, Qui(Contexte().mode, agence, utilisateur) +
                                         QStringLiteral(" service=") +
                                         Quoter(TexteJournal(service)) + QStringLiteral(" envoi=") +
                                         Quoter(TexteJournal(etat, secrets)));
}
