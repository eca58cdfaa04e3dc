// The real Qt dialogs: a Yes/No question is answered only by its buttons; the other boxes
// still close with Escape.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/DialoguesQt.h"

namespace {

// Runs geste on the next message box once it shows.
void SurLaProchaineBoite(const std::function<void(QMessageBox*)>& geste) {
    auto* attente = new QTimer;
    attente->setInterval(5);
    QObject::connect(attente, &QTimer::timeout, [attente, geste] {
        auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (boite == nullptr || !boite->isVisible()) return;
        attente->stop();
        attente->deleteLater();
        geste(boite);
    });
    attente->start();
}

QAbstractButton* Bouton(QMessageBox* boite, const QString& texte) {
    for (QAbstractButton* bouton : boite->buttons())
        if (bouton->text() == texte) return bouton;
    return nullptr;
}

}  // namespace

TEST(DialoguesQtTest, EchapEtFermetureNeRepondentPasALaQuestionOuiNon) {
    TDialoguesQt dialogues;
    for (const auto& [reponse, attendu] :
         {std::pair{"Oui", TResultatDialogue::mrYes}, std::pair{"Non", TResultatDialogue::mrNo}}) {
        bool ouverteApres = false;
        SurLaProchaineBoite([&, reponse = QString::fromUtf8(reponse)](QMessageBox* boite) {
            QTest::keyClick(boite, Qt::Key_Escape);
            boite->close();
            QCloseEvent fermeture;
            QApplication::sendEvent(boite->windowHandle(), &fermeture);
            ouverteApres = boite->isVisible();
            QTest::mouseClick(Bouton(boite, reponse), Qt::LeftButton);
        });
        EXPECT_EQ(dialogues.MessageDlg(QStringLiteral("Voulez-vous sauvegarder les données "
                                                      "modifiées ?"),
                                       TTypeDialogue::Confirmation, mbYesNo),
                  attendu);
        EXPECT_TRUE(ouverteApres) << reponse;
    }

    // The other boxes keep their way out.
    SurLaProchaineBoite([](QMessageBox* boite) { QTest::keyClick(boite, Qt::Key_Escape); });
    EXPECT_EQ(dialogues.MessageDlg(QStringLiteral("Confirmer l'envoi du message : \nBonjour"),
                                   TTypeDialogue::Confirmation, mbOKCancel),
              TResultatDialogue::mrCancel);
}

TEST(DialoguesQtTest, LesTextesSontMontresTelsQuelsJamaisCommeDuBalisage) {
    TDialoguesQt dialogues;
    const QString texte = QStringLiteral("Erreur : statut HTTP 500 (Panne <b>cle</b>)");
    for (const bool message : {true, false}) {
        Qt::TextFormat format = Qt::AutoText;
        QString montre;
        SurLaProchaineBoite([&](QMessageBox* boite) {
            format = boite->textFormat();
            montre = boite->text();
            boite->buttons().front()->click();
        });
        if (message)
            dialogues.MessageDlg(texte, TTypeDialogue::Erreur, mbOK);
        else
            dialogues.ShowMessage(texte);
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_EQ(montre, texte);
    }
}
