#include "ui/DialoguesQt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>

namespace {

QWidget* FenetreParente() {
    QWidget* active = QApplication::activeWindow();
    return active ? active : QApplication::activeModalWidget();
}

// A message box that, when asked, only its buttons can answer: Escape and the title bar's
// close button then do nothing, as in a native Yes/No box (Qt would take "Non" as the way
// out and answer No for the user).
class TBoiteMessage : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;
    bool seulementLesBoutons = false;

  protected:
    void keyPressEvent(QKeyEvent* evenement) override {
        if (seulementLesBoutons && evenement->matches(QKeySequence::Cancel)) return;
        QMessageBox::keyPressEvent(evenement);
    }
    void closeEvent(QCloseEvent* evenement) override {
        if (seulementLesBoutons) {
            evenement->ignore();
            return;
        }
        QMessageBox::closeEvent(evenement);
    }
};

}  // namespace

void TDialoguesQt::ShowMessage(const QString& texte) {
    QMessageBox boite(QMessageBox::NoIcon, QApplication::applicationDisplayName(), texte,
                      QMessageBox::Ok, FenetreParente());
    // Texts come from outside too (a service's reason phrase): never read as markup.
    boite.setTextFormat(Qt::PlainText);
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
    TBoiteMessage boite(icone, titre, texte, QMessageBox::NoButton, FenetreParente());
    boite.setTextFormat(Qt::PlainText);
    // A Yes/No question has two answers and no way around them.
    boite.seulementLesBoutons = boutons == mbYesNo;
    if (boutons & mbOK) boite.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (boutons & mbCancel) boite.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    if (boutons & mbYes) boite.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
    if (boutons & mbNo) boite.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
    boite.exec();
    // Elsewhere Escape or the title bar's close button count as neither OK nor Yes.
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
