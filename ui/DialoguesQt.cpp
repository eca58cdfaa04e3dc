#include "ui/DialoguesQt.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QWidget* FenetreParente() {
    QWidget* active = QApplication::activeWindow();
    return active ? active : QApplication::activeModalWidget();
}

}  // namespace

void TDialoguesQt::ShowMessage(const QString& texte) {
    QMessageBox boite(QMessageBox::NoIcon, QApplication::applicationDisplayName(), texte,
                      QMessageBox::Ok, FenetreParente());
    boite.exec();
}

TResultatDialogue TDialoguesQt::MessageDlg(const QString& texte, TTypeDialogue type,
                                           TBoutons boutons) {
    QMessageBox::Icon icone = QMessageBox::Information;
    QString titre = QStringLiteral("Information");
    if (type == TTypeDialogue::Erreur) {
        icone = QMessageBox::Critical;
        titre = QStringLiteral("Erreur");
    } else if (type == TTypeDialogue::Confirmation) {
        icone = QMessageBox::Question;
        titre = QStringLiteral("Confirmation");
    }
    QMessageBox boite(icone, titre, texte, QMessageBox::NoButton, FenetreParente());
    if (boutons & mbOK) boite.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (boutons & mbCancel) boite.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    if (boutons & mbYes) boite.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
    if (boutons & mbNo) boite.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
    boite.exec();
    // Escape or the title bar's close button count as neither OK nor Yes.
    QAbstractButton* clique = boite.clickedButton();
    if (clique == nullptr) return TResultatDialogue::mrNone;
    switch (boite.buttonRole(clique)) {
        case QMessageBox::AcceptRole:
            return TResultatDialogue::mrOK;
        case QMessageBox::RejectRole:
            return TResultatDialogue::mrCancel;
        case QMessageBox::YesRole:
            return TResultatDialogue::mrYes;
        case QMessageBox::NoRole:
            return TResultatDialogue::mrNo;
        default:
            return TResultatDialogue::mrNone;
    }
}

QString TDialoguesQt::InputBox(const QString& titre, const QString& invite,
                               const QString& initial) {
    bool ok = false;
    const QString texte =
        QInputDialog::getText(FenetreParente(), titre, invite, QLineEdit::Normal, initial, &ok);
    return ok ? texte : initial;
}
