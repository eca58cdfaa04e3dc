#include "ui/Accessibilite.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

namespace {

// A drop-down list whose name stays its caption's, whatever entry it shows (the toolkit
// names it by its current entry under Linux). Without typing, its current entry is also
// its read-only text, which screen readers read when it gets the focus; with typing, its
// edit field carries that text. The popup list (and the edit field) stay its children.
class TAccesListeDeroulante : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit TAccesListeDeroulante(QComboBox* liste)
        : QAccessibleWidget(liste, QAccessible::ComboBox) {
        addControllingSignal(QStringLiteral("activated(int)"));
    }

    QComboBox* Liste() const { return static_cast<QComboBox*>(widget()); }
    QString Entree() const { return Liste()->currentText(); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface && !Liste()->isEditable())
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Entree();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State etat = QAccessibleWidget::state();
        etat.expandable = true;
        etat.expanded = Liste()->view()->isVisible();
        etat.collapsed = !etat.expanded;
        etat.editable = Liste()->isEditable();
        return etat;
    }

    int childCount() const override { return Liste()->lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        QObject* enfant = nullptr;
        if (index == 0) enfant = Liste()->view();
        if (index == 1) enfant = Liste()->lineEdit();
        return enfant ? QAccessible::queryAccessibleInterface(enfant) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* enfant) const override {
        if (enfant == nullptr) return -1;
        if (enfant->object() == Liste()->view()) return 0;
        if (Liste()->lineEdit() && enfant->object() == Liste()->lineEdit()) return 1;
        return -1;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction()} << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction())
            Liste()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

    // Text: the current entry, read only, no caret.
    QString text(int debut, int fin) const override { return Entree().mid(debut, fin - debut); }
    int characterCount() const override { return int(Entree().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* debut, int* fin) const override { *debut = *fin = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* debut, int* fin) const override {
        *debut = 0;
        *fin = characterCount();
        return QString();
    }
};

QAccessibleInterface* Fabrique(const QString& classe, QObject* objet) {
    if (!objet || !objet->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(objet);
    // The program's windows: top-level widgets with a dialog frame that are not QDialogs
    // (message and input boxes are, and are already exposed as dialogs).
    if (widget->isWindow() && widget->windowType() == Qt::Dialog && !widget->inherits("QDialog") &&
        classe == QLatin1String(widget->metaObject()->className()))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (classe == QLatin1String("QComboBox"))
        return new TAccesListeDeroulante(static_cast<QComboBox*>(widget));
    return nullptr;
}

// A caption as read out: without the blanks around it nor a mnemonic's "&".
QString NomDuLibelle(const QLabel* libelle) {
    static const QRegularExpression mnemonique(QStringLiteral("&(?!&)"));
    return QString(libelle->text()).remove(mnemonique).trimmed();
}

}  // namespace

void InstallerAccessibilite() {
    static const bool installee = [] {
        QAccessible::installFactory(Fabrique);
        return true;
    }();
    (void)installee;
}

void RendreAccessible(QWidget* fenetre) {
    InstallerAccessibilite();
    for (QLabel* libelle : fenetre->findChildren<QLabel*>()) {
        if (libelle->textFormat() == Qt::RichText) continue;
        const QString nom = NomDuLibelle(libelle);
        if (nom != libelle->text() && libelle->accessibleName().isEmpty())
            libelle->setAccessibleName(nom);
        // The field takes its caption's name, whatever its value.
        if (QWidget* champ = libelle->buddy(); champ && champ->accessibleName().isEmpty())
            champ->setAccessibleName(nom);
    }
}

namespace {

// The control whose description carries the last text spoken, and a text waiting for its
// window to come back to the front.
QPointer<QWidget> annonceur;

void Decrire(QWidget* cible, const QString& description) {
    cible->setAccessibleDescription(description);
    // The toolkit changes the description without telling assistive technology.
    QAccessibleEvent evenement(cible, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&evenement);
}

void AnnoncerMaintenant(QWidget* fenetre, const QString& texte) {
    if (annonceur) Decrire(annonceur, QString());
    annonceur = nullptr;
    if (texte.isEmpty()) return;
    QWidget* cible = fenetre->focusWidget();
    if (cible == nullptr) cible = fenetre;
    Decrire(cible, texte);
    annonceur = cible;
}

// A screen reader speaks a description only on the control it knows to have the focus:
// while a dialog has just closed, the window is not yet back in front and the text would
// be lost. It waits for the window's return, once the focus is back on its control.
class TAnnonceDifferee : public QObject {
  public:
    TAnnonceDifferee(QWidget* fenetre, const QString& texte)
        : QObject(fenetre), texte(texte), fenetre(fenetre) {
        fenetre->installEventFilter(this);
    }
    QString texte;

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (objet == fenetre && evenement->type() == QEvent::WindowActivate) {
            fenetre->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                AnnoncerMaintenant(fenetre, texte);
                deleteLater();
            });
        }
        return false;
    }

  private:
    QWidget* fenetre;
};

}  // namespace

void Annoncer(QWidget* fenetre, const QString& texte) {
    static QPointer<TAnnonceDifferee> attente;
    if (attente && attente->parent() != fenetre) delete attente.data();
    if (fenetre->isActiveWindow() || !fenetre->isVisible()) {
        delete attente.data();
        AnnoncerMaintenant(fenetre, texte);
        return;
    }
    if (attente)
        attente->texte = texte;
    else
        attente = new TAnnonceDifferee(fenetre, texte);
    fenetre->activateWindow();
}
