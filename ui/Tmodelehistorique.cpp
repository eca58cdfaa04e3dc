#include "ui/Tmodelehistorique.h"

namespace {

const char* const Titres[TModeleHistorique::NombreColonnes] = {
    "Agence",       "Utilisateur", "Date création", "Expéditeur",
    "Destinataire", "Message",     "Date envoie",   "Etat"};

}  // namespace

TModeleHistorique::TModeleHistorique(QObject* parent) : QAbstractTableModel(parent) {}

int TModeleHistorique::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lignes.size());
}

int TModeleHistorique::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : NombreColonnes;
}

QVariant TModeleHistorique::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(lignes.size()) ||
        index.column() >= NombreColonnes)
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return lignes[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
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
    std::vector<TLigne>().swap(lignes);
    endResetModel();
}

void TModeleHistorique::Remplacer(std::vector<TLigne>&& nouvelles) {
    beginResetModel();
    lignes = std::move(nouvelles);
    endResetModel();
}
