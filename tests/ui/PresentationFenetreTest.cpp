// The three windows open in the middle of the screen and carry the program's icon, and
// wait for a busy base under the wait cursor.
#include <gtest/gtest.h>

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "data/Datamoduleabs.h"
#include "ui/Ficheenvoisms.h"
#include "ui/PresentationFenetre.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tfichehistorique.h"

namespace {

const std::function<std::unique_ptr<QWidget>()> Fabriques[] = {
    [] { return std::make_unique<TFormEnvoiSMS>(); },
    [] { return std::make_unique<TFicheConfiguration>(); },
    [] { return std::make_unique<TFicheHistorique>(); },
};

}  // namespace

TEST(PresentationFenetreTest, CentreesEtPorteusesDeLIconeDuProgramme) {
    TBaseTest base;
    TDialoguesScriptes dialogues;
    const QImage icone = IconeProgramme().pixmap(32, 32).toImage();
    ASSERT_FALSE(icone.isNull());
    const QRect zone = QGuiApplication::primaryScreen()->availableGeometry();
    for (const auto& fabrique : Fabriques) {
        const std::unique_ptr<QWidget> fenetre = fabrique();
        fenetre->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fenetre.get()));
        const QString nom = fenetre->windowTitle();
        EXPECT_LE((fenetre->frameGeometry().center() - zone.center()).manhattanLength(), 2)
            << nom.toStdString();
        EXPECT_EQ(fenetre->windowIcon().pixmap(32, 32).toImage(), icone) << nom.toStdString();
        EXPECT_EQ(fenetre->windowHandle()->icon().pixmap(32, 32).toImage(), icone);
        fenetre->close();
    }
}

// Another workstation holds the base when a window opens: the window waits under the wait
// cursor, then opens as usual once the base is free, with the cursor given back.
TEST(PresentationFenetreTest, SablierPendantQuUnAutrePosteTientLaBase) {
    TBaseTest base;
    TDialoguesScriptes dialogues;
    for (const auto& fabrique : Fabriques) {
        std::promise<void> tenue;
        std::optional<Qt::CursorShape> pendant;
        // The other workstation: takes the base, watches this one's cursor while it waits
        // (5 s at most, half the busy budget), then lets it go.
        std::thread autrePoste([&] {
            const QString nom = QStringLiteral("autre-poste");
            {
                QSqlDatabase autre = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom);
                autre.setDatabaseName(base.Chemin());
                QSqlQuery requete(autre);
                const bool tient = autre.open() && requete.exec(QStringLiteral("BEGIN EXCLUSIVE"));
                tenue.set_value();
                QElapsedTimer attente;
                attente.start();
                while (tient && !pendant && attente.elapsed() < 5000) {
                    if (const QCursor* curseur = QGuiApplication::overrideCursor())
                        pendant = curseur->shape();
                    QThread::msleep(10);
                }
                QThread::msleep(100);
                requete.exec(QStringLiteral("COMMIT"));
            }
            QSqlDatabase::removeDatabase(nom);
        });
        tenue.get_future().wait();
        const std::unique_ptr<QWidget> fenetre = fabrique();
        fenetre->show();
        const bool ouverte = QTest::qWaitFor([&] { return base.Module().tblTemplate.Active(); });
        autrePoste.join();
        const QString nom = fenetre->windowTitle();
        ASSERT_TRUE(ouverte) << nom.toStdString();
        EXPECT_EQ(pendant, Qt::WaitCursor) << nom.toStdString();
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << nom.toStdString();
        EXPECT_TRUE(dialogues.demandes.empty()) << dialogues.Textes().join('|').toStdString();
        fenetre->close();
        base.Module().FermerBase();
    }
}
