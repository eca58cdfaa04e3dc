// The three windows open in the middle of the screen and carry the program's icon.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <functional>
#include <memory>

#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "ui/Ficheenvoisms.h"
#include "ui/PresentationFenetre.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tfichehistorique.h"

TEST(PresentationFenetreTest, CentreesEtPorteusesDeLIconeDuProgramme) {
    TBaseTest base;
    TDialoguesScriptes dialogues;
    const QImage icone = IconeProgramme().pixmap(32, 32).toImage();
    ASSERT_FALSE(icone.isNull());
    const QRect zone = QGuiApplication::primaryScreen()->availableGeometry();
    const std::function<std::unique_ptr<QWidget>()> fabriques[] = {
        [] { return std::make_unique<TFormEnvoiSMS>(); },
        [] { return std::make_unique<TFicheConfiguration>(); },
        [] { return std::make_unique<TFicheHistorique>(); },
    };
    for (const auto& fabrique : fabriques) {
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
