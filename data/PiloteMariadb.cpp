#include "data/PiloteMariadb.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QStringList>

#include "data/GreffonsMariadb.h"
#include "data/ResultatMariadb.h"

namespace {

QSqlError ErreurConnexion(MYSQL* m) {
    return QSqlError(QStringLiteral("connexion impossible"), QString::fromUtf8(mysql_error(m)),
                     QSqlError::ConnectionError, QString::number(mysql_errno(m)));
}

}  // namespace

QString NomPiloteMariadb() {
    static const QString nom = [] {
        const QString n = QStringLiteral("PARLIVO_MARIADB");
        QSqlDatabase::registerSqlDriver(n, new QSqlDriverCreator<TPiloteMariadb>);
        return n;
    }();
    return nom;
}

TPiloteMariadb::TPiloteMariadb(QObject* parent) : QSqlDriver(parent) {}

TPiloteMariadb::~TPiloteMariadb() { close(); }

bool TPiloteMariadb::hasFeature(DriverFeature fonction) const {
    switch (fonction) {
        case Transactions:
        case QuerySize:
        case BLOB:
        case LastInsertId:
        case Unicode:
        case LowPrecisionNumbers:
            return true;
        default:
            // Parameters are written in as escaped literals (formatValue), not sent apart.
            return false;
    }
}

bool TPiloteMariadb::open(const QString& base, const QString& utilisateur,
                          const QString& motDePasse, const QString& hote, int port,
                          const QString& options) {
    close();
    mysql = mysql_init(nullptr);
    if (!mysql) {
        setLastError(QSqlError(QStringLiteral("connexion impossible"),
                               QStringLiteral("mémoire insuffisante"), QSqlError::ConnectionError));
        setOpenError(true);
        return false;
    }
    DefinirDossierGreffons(mysql);
    QByteArray socket, autorite;
    unsigned long drapeaux = 0;
    for (const QString& option : options.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype egal = option.indexOf(QLatin1Char('='));
        const QString cle = option.left(egal).trimmed();
        const QString valeur = egal < 0 ? QString() : option.mid(egal + 1).trimmed();
        const unsigned int secondes = valeur.toUInt();
        if (cle == QLatin1String("UNIX_SOCKET"))
            socket = QFile::encodeName(valeur);
        else if (cle == QLatin1String("SSL_CA"))
            autorite = QFile::encodeName(valeur);
        else if (cle == QLatin1String("MYSQL_OPT_CONNECT_TIMEOUT"))
            mysql_options(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &secondes);
        else if (cle == QLatin1String("MYSQL_OPT_READ_TIMEOUT"))
            mysql_options(mysql, MYSQL_OPT_READ_TIMEOUT, &secondes);
        else if (cle == QLatin1String("MYSQL_OPT_WRITE_TIMEOUT"))
            mysql_options(mysql, MYSQL_OPT_WRITE_TIMEOUT, &secondes);
        else if (cle == QLatin1String("CLIENT_FOUND_ROWS"))
            drapeaux |= CLIENT_FOUND_ROWS;
    }
#ifdef Q_OS_WIN
    // The server's local way on Windows is a named pipe, and Socket names it (\\.\pipe\NAME):
    // left to itself, Connector/C there ignores the name and connects over TCP to
    // localhost:3306, which may be another server than the one connexion.ini names.
    if (!socket.isEmpty()) {
        const unsigned int protocole = MYSQL_PROTOCOL_PIPE;
        mysql_options(mysql, MYSQL_OPT_PROTOCOL, &protocole);
    }
#endif
    mysql_options(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    // A server, or a man in the middle, asking for another method (mysql_clear_password,
    // dialog) is refused before the password leaves.
    mysql_options(mysql, MARIADB_OPT_RESTRICTED_AUTH, MethodesAuthentification);
    if (!autorite.isEmpty()) {
        const my_bool oui = 1;
        mysql_options(mysql, MYSQL_OPT_SSL_CA, autorite.constData());
        mysql_options(mysql, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &oui);
        mysql_options(mysql, MYSQL_OPT_SSL_ENFORCE, &oui);
    }
    const QByteArray h = hote.toUtf8(), u = utilisateur.toUtf8(), p = motDePasse.toUtf8(),
                     b = base.toUtf8();
    if (!mysql_real_connect(mysql, socket.isEmpty() && !h.isEmpty() ? h.constData() : nullptr,
                            u.constData(), p.constData(), b.isEmpty() ? nullptr : b.constData(),
                            port > 0 ? static_cast<unsigned>(port) : 0,
                            socket.isEmpty() ? nullptr : socket.constData(), drapeaux)) {
        setLastError(ErreurConnexion(mysql));
        mysql_close(mysql);
        mysql = nullptr;
        setOpenError(true);
        return false;
    }
    setOpen(true);
    setOpenError(false);
    return true;
}

void TPiloteMariadb::close() {
    if (mysql) mysql_close(mysql);
    mysql = nullptr;
    setOpen(false);
    setOpenError(false);
}

QSqlResult* TPiloteMariadb::createResult() const { return new TResultatMariadb(this); }

QVariant TPiloteMariadb::handle() const { return QVariant::fromValue(mysql); }

QString TPiloteMariadb::formatValue(const QSqlField& champ, bool couperEspaces) const {
    if (champ.isNull()) return QStringLiteral("NULL");
    const QVariant valeur = champ.value();
    switch (valeur.typeId()) {
        case QMetaType::QString: {
            if (!mysql) break;
            const QByteArray texte = valeur.toString().toUtf8();
            QByteArray litteral(texte.size() * 2 + 1, Qt::Uninitialized);
            const unsigned long taille =
                mysql_real_escape_string(mysql, litteral.data(), texte.constData(),
                                         static_cast<unsigned long>(texte.size()));
            litteral.truncate(static_cast<qsizetype>(taille));
            return QLatin1Char('\'') + QString::fromUtf8(litteral) + QLatin1Char('\'');
        }
        case QMetaType::QByteArray:
            return QStringLiteral("X'%1'").arg(QString::fromLatin1(valeur.toByteArray().toHex()));
        case QMetaType::QDateTime:
            return valeur.toDateTime().isValid()
                       ? valeur.toDateTime().toString(QStringLiteral("''yyyy-MM-dd hh:mm:ss.zzz''"))
                       : QStringLiteral("NULL");
        case QMetaType::Bool:
            return valeur.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        default:
            break;
    }
    return QSqlDriver::formatValue(champ, couperEspaces);
}

QString TPiloteMariadb::escapeIdentifier(const QString& nom, IdentifierType) const {
    if (nom.startsWith(QLatin1Char('`')) && nom.endsWith(QLatin1Char('`'))) return nom;
    QString echappe = nom;
    echappe.replace(QLatin1Char('`'), QLatin1String("``"));
    return QLatin1Char('`') + echappe + QLatin1Char('`');
}
