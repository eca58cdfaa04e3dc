#include "data/ResultatMariadb.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QTime>

#include "data/PiloteMariadb.h"

namespace {

// The character set number of binary columns (BINARY, VARBINARY, BLOB): raw bytes, where
// every other column is text in the connection's UTF-8.
constexpr unsigned int JeuBinaire = 63;

QMetaType TypeChamp(const MYSQL_FIELD& champ) {
    const bool nonSigne = (champ.flags & UNSIGNED_FLAG) != 0;
    switch (champ.type) {
        case MYSQL_TYPE_TINY:
        case MYSQL_TYPE_SHORT:
        case MYSQL_TYPE_INT24:
        case MYSQL_TYPE_YEAR:
            return QMetaType::fromType<int>();
        case MYSQL_TYPE_LONG:
            return nonSigne ? QMetaType::fromType<qlonglong>() : QMetaType::fromType<int>();
        case MYSQL_TYPE_LONGLONG:
            return nonSigne ? QMetaType::fromType<qulonglong>() : QMetaType::fromType<qlonglong>();
        case MYSQL_TYPE_FLOAT:
        case MYSQL_TYPE_DOUBLE:
        case MYSQL_TYPE_DECIMAL:
        case MYSQL_TYPE_NEWDECIMAL:
            return QMetaType::fromType<double>();
        case MYSQL_TYPE_DATE:
            return QMetaType::fromType<QDate>();
        case MYSQL_TYPE_TIME:
            return QMetaType::fromType<QTime>();
        case MYSQL_TYPE_DATETIME:
        case MYSQL_TYPE_TIMESTAMP:
            return QMetaType::fromType<QDateTime>();
        case MYSQL_TYPE_BIT:
        case MYSQL_TYPE_GEOMETRY:
            return QMetaType::fromType<QByteArray>();
        default:
            return champ.charsetnr == JeuBinaire ? QMetaType::fromType<QByteArray>()
                                                 : QMetaType::fromType<QString>();
    }
}

}  // namespace

TResultatMariadb::TResultatMariadb(const TPiloteMariadb* pilote) : QSqlResult(pilote) {}

TResultatMariadb::~TResultatMariadb() { Liberer(); }

MYSQL* TResultatMariadb::Poignee() const {
    const auto* pilote = static_cast<const TPiloteMariadb*>(driver());
    return pilote ? pilote->Poignee() : nullptr;
}

void TResultatMariadb::Liberer() {
    if (resultat) mysql_free_result(resultat);
    resultat = nullptr;
    ligne = nullptr;
    longueurs = nullptr;
    types.clear();
    lignesTouchees = -1;
    dernierId = QVariant();
}

bool TResultatMariadb::reset(const QString& requete) {
    Liberer();
    setAt(QSql::BeforeFirstRow);
    setActive(false);
    setSelect(false);
    MYSQL* m = Poignee();
    if (!m) {
        setLastError(QSqlError(QStringLiteral("la connexion n'est pas ouverte"), QString(),
                               QSqlError::ConnectionError));
        return false;
    }
    const QByteArray texte = requete.toUtf8();
    auto echec = [&](const char* quoi) {
        setLastError(QSqlError(QString::fromUtf8(quoi), QString::fromUtf8(mysql_error(m)),
                               QSqlError::StatementError, QString::number(mysql_errno(m))));
        return false;
    };
    if (mysql_real_query(m, texte.constData(), static_cast<unsigned long>(texte.size())) != 0)
        return echec("instruction refusée");
    resultat = mysql_store_result(m);
    if (!resultat) {
        if (mysql_field_count(m) != 0) return echec("lecture du résultat impossible");
        lignesTouchees = static_cast<qint64>(mysql_affected_rows(m));
        const my_ulonglong id = mysql_insert_id(m);
        if (id != 0) dernierId = QVariant(static_cast<qulonglong>(id));
        setActive(true);
        return true;
    }
    const unsigned int nombre = mysql_num_fields(resultat);
    const MYSQL_FIELD* champs = mysql_fetch_fields(resultat);
    types.reserve(nombre);
    for (unsigned int i = 0; i < nombre; ++i) types.push_back(TypeChamp(champs[i]));
    lignesTouchees = static_cast<qint64>(mysql_affected_rows(m));
    setSelect(true);
    setActive(true);
    return true;
}

bool TResultatMariadb::fetch(int i) {
    if (!resultat || i < 0 || static_cast<my_ulonglong>(i) >= mysql_num_rows(resultat))
        return false;
    if (at() != i - 1 || !ligne) mysql_data_seek(resultat, static_cast<my_ulonglong>(i));
    ligne = mysql_fetch_row(resultat);
    if (!ligne) return false;
    longueurs = mysql_fetch_lengths(resultat);
    setAt(i);
    return true;
}

bool TResultatMariadb::fetchNext() {
    if (!resultat) return false;
    ligne = mysql_fetch_row(resultat);
    if (!ligne) return false;
    longueurs = mysql_fetch_lengths(resultat);
    setAt(at() < 0 ? 0 : at() + 1);
    return true;
}

bool TResultatMariadb::fetchFirst() {
    if (isForwardOnly()) return at() == QSql::BeforeFirstRow ? fetchNext() : false;
    return fetch(0);
}

bool TResultatMariadb::fetchLast() {
    if (!resultat) return false;
    if (isForwardOnly()) {
        bool trouve = false;
        while (fetchNext()) trouve = true;
        return trouve;
    }
    const my_ulonglong nombre = mysql_num_rows(resultat);
    return nombre > 0 && fetch(static_cast<int>(nombre - 1));
}

bool TResultatMariadb::isNull(int i) {
    return !ligne || i < 0 || static_cast<size_t>(i) >= types.size() || !ligne[i];
}

QVariant TResultatMariadb::data(int i) {
    if (!ligne || i < 0 || static_cast<size_t>(i) >= types.size()) return QVariant();
    const QMetaType type = types[static_cast<size_t>(i)];
    if (!ligne[i]) return QVariant(type);
    const QByteArray texte =
        QByteArray::fromRawData(ligne[i], static_cast<qsizetype>(longueurs[i]));
    switch (type.id()) {
        case QMetaType::Int:
            return texte.toInt();
        case QMetaType::LongLong:
            return texte.toLongLong();
        case QMetaType::ULongLong:
            return texte.toULongLong();
        case QMetaType::Double:
            return texte.toDouble();
        case QMetaType::QDate:
            return QDate::fromString(QString::fromLatin1(texte), Qt::ISODate);
        case QMetaType::QTime:
            return QTime::fromString(QString::fromLatin1(texte), Qt::ISODateWithMs);
        case QMetaType::QDateTime:
            return QDateTime::fromString(QString::fromLatin1(texte), Qt::ISODateWithMs);
        case QMetaType::QByteArray:
            return QByteArray(texte.constData(), texte.size());
        default:
            return QString::fromUtf8(texte);
    }
}

int TResultatMariadb::size() { return resultat ? static_cast<int>(mysql_num_rows(resultat)) : -1; }

int TResultatMariadb::numRowsAffected() { return static_cast<int>(lignesTouchees); }

QVariant TResultatMariadb::lastInsertId() const { return dernierId; }

QSqlRecord TResultatMariadb::record() const {
    QSqlRecord champs;
    if (!resultat) return champs;
    const MYSQL_FIELD* infos = mysql_fetch_fields(resultat);
    for (unsigned int i = 0; i < types.size(); ++i) {
        QSqlField champ(QString::fromUtf8(infos[i].name), types[i],
                        QString::fromUtf8(infos[i].org_table));
        champ.setAutoValue((infos[i].flags & AUTO_INCREMENT_FLAG) != 0);
        champs.append(champ);
    }
    return champs;
}

void TResultatMariadb::detachFromResultSet() {
    // The counts stay readable after the rows are let go.
    if (resultat) mysql_free_result(resultat);
    resultat = nullptr;
    ligne = nullptr;
    longueurs = nullptr;
}

QVariant TResultatMariadb::handle() const { return QVariant::fromValue(resultat); }
