// The administrator's log, read back as the system keeps it. On Linux the test binds the
// local syslog socket /dev/log itself (the machine has none of its own), so syslog(3) of the
// code under test writes to it; where a log daemon of the machine holds that socket, the
// tests that read it are skipped and say why. On Windows it reads the Application event log.
#include <gtest/gtest.h>

#include <QtGlobal>
#ifdef Q_OS_WIN
#include <windows.h>

#include <vector>
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

#include "app/Demarrage.h"
#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "commun/ServeurTest.h"
#include "data/Datamoduleabs.h"
#include "data/Tconfigurationapi.h"
#include "envoi/Tenvoisms.h"
#include "platform/AfficherErreur.h"
#include "platform/JournalSysteme.h"
#include "ui/Ficheenvoisms.h"

namespace {

#ifdef Q_OS_WIN
// The Application event log, read newest first. Each event of the source "parlivo" is given
// in the form a syslog line takes ("<11>" error, "<12>" warning, then the program's name),
// so both systems answer the same checks. Wine keeps no event log (it reads back nothing):
// there the tests that read it are skipped.
class TJournalLocal {
  public:
    TJournalLocal() {
        journal = OpenEventLogW(nullptr, L"Application");
        DWORD nombre = 0;
        if (journal == nullptr || !GetNumberOfEventLogRecords(journal, &nombre) || nombre == 0)
            raison = "ce système ne tient aucun journal d'événements lisible (Wine n'en a pas)";
        DWORD ancien = 0;
        if (raison.empty() && GetOldestEventLogRecord(journal, &ancien)) depuis = ancien + nombre;
    }
    ~TJournalLocal() {
        if (journal != nullptr) CloseEventLog(journal);
    }
    bool Pret() const { return raison.empty(); }
    std::string raison;

    QStringList Lire(const QString& marque, int nombre) {
        QStringList lignes;
        const QDeadlineTimer limite(10000);
        while (lignes.size() < nombre && !limite.hasExpired()) {
            lignes.clear();
            HANDLE h = OpenEventLogW(nullptr, L"Application");
            std::vector<BYTE> tampon(1 << 16);
            DWORD lus = 0, requis = 0;
            bool ancien = false;
            while (!ancien && ReadEventLogW(h, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ,
                                            0, tampon.data(), DWORD(tampon.size()), &lus, &requis))
                for (DWORD i = 0; i < lus;) {
                    const auto* e = reinterpret_cast<const EVENTLOGRECORD*>(tampon.data() + i);
                    i += e->Length;
                    if (e->RecordNumber < depuis) {
                        ancien = true;
                        break;
                    }
                    const auto* source = reinterpret_cast<const wchar_t*>(e + 1);
                    if (QString::fromWCharArray(source) != QLatin1String("parlivo") ||
                        e->NumStrings < 1)
                        continue;
                    const QString texte = QString::fromWCharArray(reinterpret_cast<const wchar_t*>(
                        reinterpret_cast<const BYTE*>(e) + e->StringOffset));
                    if (texte.contains(marque))
                        lignes.prepend(QStringLiteral("<%1> parlivo[0]: %2")
                                           .arg(e->EventType == EVENTLOG_ERROR_TYPE ? 11 : 12)
                                           .arg(texte));
                }
            CloseEventLog(h);
            if (lignes.size() < nombre) QTest::qWait(200);
        }
        return lignes;
    }

  private:
    HANDLE journal = nullptr;
    DWORD depuis = 0;
};
#else
const char* const CheminSyslog = "/dev/log";

// The local syslog socket, bound for the test's life. Another test program may hold it
// for a moment (suites run side by side): wait for it; a socket nobody reads is stale.
class TJournalLocal {
  public:
    TJournalLocal() {
        sockaddr_un adresse{};
        adresse.sun_family = AF_UNIX;
        std::snprintf(adresse.sun_path, sizeof adresse.sun_path, "%s", CheminSyslog);
        const QDeadlineTimer limite(10000);
        while (!limite.hasExpired()) {
            fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            if (bind(fd, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse) == 0) {
                struct stat s {};
                stat(CheminSyslog, &s);
                inode = s.st_ino;
                chmod(CheminSyslog, 0666);
                return;
            }
            const int erreur = errno;
            close(fd);
            fd = -1;
            if (erreur != EADDRINUSE) {
                raison = std::string("bind ") + CheminSyslog + " : " + std::strerror(erreur);
                return;
            }
            const int essai = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            const bool vivant =
                ::connect(essai, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse) == 0;
            close(essai);
            if (!vivant)
                unlink(CheminSyslog);
            else
                usleep(200000);
        }
        raison = std::string(CheminSyslog) + " reste tenu par un autre programme";
    }
    ~TJournalLocal() {
        if (fd < 0) return;
        struct stat s {};
        if (stat(CheminSyslog, &s) == 0 && s.st_ino == inode) unlink(CheminSyslog);
        close(fd);
    }
    bool Pret() const { return fd >= 0; }
    std::string raison;

    // The messages received that contain `marque`, until `nombre` of them or 10 s.
    QStringList Lire(const QString& marque, int nombre) {
        QStringList lignes;
        const QDeadlineTimer limite(10000);
        while (lignes.size() < nombre && !limite.hasExpired()) {
            char tampon[8192];
            timeval attente{0, 100000};
            setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &attente, sizeof attente);
            const ssize_t n = recv(fd, tampon, sizeof tampon, 0);
            if (n <= 0) continue;
            const QString ligne = QString::fromUtf8(tampon, n);
            if (ligne.contains(marque)) lignes << ligne;
        }
        return lignes;
    }

  private:
    int fd = -1;
    ino_t inode = 0;
};
#endif

// A mark of this run, so that lines written by other programs at the same time are
// left aside.
QString Marque() {
    return QStringLiteral("AG-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate());
}

class JournalSysteme : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!syslog.Pret()) GTEST_SKIP() << syslog.raison;
    }
    TJournalLocal syslog;
    TDialoguesScriptes dialogues;
    const QString agence = Marque();
};

}  // namespace

TEST(TexteJournal, UneLigneSansCleNiMessage) {
    const struct {
        const char* texte;
        QStringList secrets;
        const char* attendu;
    } cas[] = {
        {"Error transferring http://h:80/envoi?apikey=K&text=Bonjour - server replied: Not Found",
         {},
         "Error transferring http://h:80/envoi?... - server replied: Not Found"},
        {"Erreur : cle CLE-123 refusée pour « Bonjour à tous »",
         {"CLE-123", "Bonjour à tous"},
         "Erreur : cle *** refusée pour « *** »"},
        {"Erreur : ligne 1\r\nligne 2", {}, "Erreur : ligne 1 ligne 2"},
        // A one-letter key would mask every such letter: too short to mask.
        {"Erreur : abc", {"a"}, "Erreur : abc"},
    };
    for (const auto& c : cas)
        EXPECT_EQ(TexteJournal(QString::fromUtf8(c.texte), c.secrets),
                  QString::fromUtf8(c.attendu));
    EXPECT_EQ(TexteJournal(QString(3000, u'x')).size(), 1003);
}

TEST_F(JournalSysteme, EnvoisNonAboutis) {
    TBaseTest base;
    DataModuleAbs->OuvrirBase();
    TServeurTest serveur;
    TEnvoiSms envoi;
    TBalises balises;
    const QString cle = QStringLiteral("CLE-SECRETE-4242");
    const QString message = QString::fromUtf8("Texte privé du client");
    const auto envoyer = [&](const QString& url) {
        DefinirContexteJournal(QStringLiteral("ENVOI"), agence, QStringLiteral("martin"));
        const TConfigurationApi service({.nom = "Service test",
                                         .url = url,
                                         .cle = cle,
                                         .cle_api = "key",
                                         .numero = "to",
                                         .message = "text"});
        dialogues.Repondre(TResultatDialogue::mrOK);
        return envoi.Envoyer({.service = service,
                              .numero = "0612345678",
                              .message = message,
                              .expediteur = "Agence",
                              .dateEnvoi = QDateTime::currentDateTime(),
                              .agence = agence,
                              .utilisateur = "martin"},
                             balises, {});
    };

    // Accepted: nothing in the log.
    EXPECT_EQ(envoyer(serveur.Url("/envoi")), QString::fromUtf8("Envoyé"));
    // An "erreurs" answer.
    serveur.Repondre(200, R"({"resultat":0,"erreurs":"Cl\u00e9 refus\u00e9e"})");
    EXPECT_EQ(envoyer(serveur.Url("/envoi")), QString::fromUtf8("Erreur : \"Clé refusée\""));
    // A server error, whose text from the toolkit carries the whole request URL.
    serveur.Repondre(500, "panne");
    ASSERT_TRUE(envoyer(serveur.Url("/envoi"))->contains("Internal Server Error"));
    // A refused connection.
    const QString url = serveur.Url("/envoi");
    serveur.Fermer();
    ASSERT_TRUE(envoyer(url)->startsWith("Erreur : "));

    // Each failure gives the send's line, and the line of its error box when it shows one
    // (the "erreurs" answer shows only in the answer field).
    const QStringList lignes = syslog.Lire(agence, 5);
    ASSERT_EQ(lignes.size(), 5) << lignes.join('\n').toStdString();
    EXPECT_EQ(lignes.filter(" erreur=").size(), 2);
    const QStringList envois = lignes.filter(" envoi=");
    ASSERT_EQ(envois.size(), 3);
    for (const QString& l : envois) {
        // "<12>": the user facility at warning priority, under the program's name.
        EXPECT_TRUE(l.startsWith("<12>")) << l.toStdString();
        EXPECT_TRUE(l.contains(" parlivo[")) << l.toStdString();
        EXPECT_TRUE(
            l.contains("mode=ENVOI agence=\"" + agence +
                       "\" utilisateur=\"martin\" service=\"Service test\" envoi=\"Erreur : "))
            << l.toStdString();
    }
    EXPECT_TRUE(envois[0].contains(QString::fromUtf8(R"(envoi="Erreur : \"Clé refusée\"")")))
        << envois[0].toStdString();
    EXPECT_TRUE(envois[1].contains("Internal Server Error"));
    EXPECT_TRUE(envois[2].contains("refused") || envois[2].contains(QString::fromUtf8("refusée")))
        << envois[2].toStdString();
    for (const QString& l : lignes) {
        EXPECT_FALSE(l.contains(cle)) << l.toStdString();
        EXPECT_FALSE(l.contains("Texte")) << l.toStdString();
        EXPECT_FALSE(l.contains("0612345678")) << l.toStdString();
    }
}

TEST_F(JournalSysteme, ErreurDUneFenetreAvecSonModeSonAgenceEtSonUtilisateur) {
    // No sms.abs: the send window's opening shows the error.
    TBaseTest base(false);
    QTemporaryDir dossier;
    const QString ini = dossier.filePath("p.ini");
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("[Config]\nAgence=" + agence + "\nUtilisateur=jdupont\n").toUtf8());
    f.close();
    Demarrer(
        {ini, QStringLiteral("envoi")},
        [] {
            QApplication::setActiveWindow(FormEnvoiSMS);
            EXPECT_TRUE(QTest::qWaitForWindowActive(FormEnvoiSMS));
            QApplication::processEvents();
            return 0;
        },
        base.Dossier());
    ASSERT_FALSE(dialogues.demandes.empty());

    const QStringList lignes = syslog.Lire(agence, 1);
    ASSERT_EQ(lignes.size(), 1);
    // "<11>": the user facility at error priority.
    EXPECT_TRUE(lignes[0].startsWith("<11>")) << lignes[0].toStdString();
    EXPECT_TRUE(lignes[0].contains("mode=ENVOI agence=\"" + agence +
                                   "\" utilisateur=\"jdupont\" erreur=\"" +
                                   TexteJournal(dialogues.demandes[0].texte) + "\""))
        << lignes[0].toStdString();
}
