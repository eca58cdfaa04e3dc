#include "ui/Tmodelehistorique.h"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

namespace {

const char* const Titres[TModeleHistorique::NombreColonnes] = {
    "Agence",       "Utilisateur", "Date création", "Expéditeur",
    "Destinataire", "Message",     "Date envoie",   "Etat"};

}  // namespace

quint32 TModeleHistorique::TContenu::AjouterCommun(const QString& texte) {
    communs.push_back(texte);
    return static_cast<quint32>(communs.size() - 1);
}

TModeleHistorique::TContenu::TContenu(TContenu&& autre) noexcept { *this = std::move(autre); }

TModeleHistorique::TContenu& TModeleHistorique::TContenu::operator=(TContenu&& autre) noexcept {
    communs = std::move(autre.communs);
    blocsLignes = std::move(autre.blocsLignes);
    nombreLignes = std::exchange(autre.nombreLignes, 0);
    derniere = std::exchange(autre.derniere, nullptr);
    blocsOctets = std::move(autre.blocsOctets);
    libreDansBloc = std::exchange(autre.libreDansBloc, 0);
    autre.communs.clear();
    autre.blocsLignes.clear();
    autre.blocsOctets.clear();
    return *this;
}

void TModeleHistorique::TContenu::NouvelleLigne() {
    constexpr int parBloc = 1 << BitsLignes;
    if (nombreLignes == std::numeric_limits<int>::max())
        throw std::runtime_error("Erreur : le résultat de la recherche est trop volumineux.");
    if (nombreLignes % parBloc == 0) blocsLignes.push_back(std::make_unique<TLigne[]>(parBloc));
    derniere = &blocsLignes.back()[static_cast<size_t>(nombreLignes % parBloc)];
    ++nombreLignes;
}

void TModeleHistorique::TContenu::Octets(int colonne, QByteArrayView utf8) {
    const auto taille = static_cast<size_t>(utf8.size());
    if (taille >= Partage || blocsOctets.size() >= (size_t(1) << (32 - BitsOctets)))
        throw std::runtime_error("Erreur : le résultat de la recherche est trop volumineux.");
    if (taille == 0) {
        (*derniere)[static_cast<size_t>(colonne)] = {0, 0};
        return;
    }
    if (taille > TailleBlocOctets) {
        // A block of its own; the next short text starts a new block.
        blocsOctets.push_back(std::make_unique_for_overwrite<char[]>(taille));
        std::memcpy(blocsOctets.back().get(), utf8.data(), taille);
        libreDansBloc = 0;
        const size_t bloc = blocsOctets.size() - 1;
        (*derniere)[static_cast<size_t>(colonne)] = {static_cast<quint32>(bloc << BitsOctets),
                                                     static_cast<quint32>(taille)};
        return;
    }
    if (taille > libreDansBloc) {
        blocsOctets.push_back(std::make_unique_for_overwrite<char[]>(TailleBlocOctets));
        libreDansBloc = TailleBlocOctets;
    }
    const size_t debut = TailleBlocOctets - libreDansBloc;
    std::memcpy(blocsOctets.back().get() + debut, utf8.data(), taille);
    libreDansBloc -= taille;
    const size_t bloc = blocsOctets.size() - 1;
    (*derniere)[static_cast<size_t>(colonne)] = {static_cast<quint32>((bloc << BitsOctets) | debut),
                                                 static_cast<quint32>(taille)};
}

QString TModeleHistorique::TContenu::Texte(int ligne, int colonne) const {
    const auto l = static_cast<size_t>(ligne);
    const TCellule& c = blocsLignes[l >> BitsLignes][l & ((size_t(1) << BitsLignes) - 1)]
                                   [static_cast<size_t>(colonne)];
    if (c.taille == Partage) return communs[c.position];
    if (c.taille == 0) return QString();
    const char* bloc = blocsOctets[c.position >> BitsOctets].get();
    return QString::fromUtf8(bloc + (c.position & (TailleBlocOctets - 1)),
                             static_cast<qsizetype>(c.taille));
}

TModeleHistorique::TModeleHistorique(QObject* parent) : QAbstractTableModel(parent) {}

int TModeleHistorique::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : contenu.NombreLignes();
}

int TModeleHistorique::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : NombreColonnes;
}

QVariant TModeleHistorique::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= contenu.NombreLignes() ||
        index.column() >= NombreColonnes)
        return QVariant();
    // The tip shows a text the column is too narrow for, a long message above all.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return contenu.Texte(index.row(), index.column());
    return QVariant();
}

QVariant TModeleHistorique::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < NombreColonnes)
        return QString::fromUtf8(Titres[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TModeleHistorique::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TModeleHistorique::Vider() {
    beginResetModel();
    contenu = TContenu();
    endResetModel();
}

void TModeleHistorique::Remplacer(TContenu&& nouveau) {
    beginResetModel();
    contenu = std::move(nouveau);
    endResetModel();
}
