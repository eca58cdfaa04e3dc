#pragma once

#include <mysql.h>

#include <QSqlDriver>
#include <QString>

// The server's connection as QtSql sees it, over libmariadb itself: every connection the
// program opens to a server (the first, each reconnection, the tools') goes through here,
// so that the server's certificate and name are verified and the password never leaves in
// clear on the connection that carries the session. Qt's own MySQL driver cannot verify
// the server's name, nor restrict the authentication methods.
//
// Options (setConnectOptions, "KEY=value" separated by ";"): UNIX_SOCKET, SSL_CA (TLS
// required, the certificate chain verified against that file and the server's name against
// the host), MYSQL_OPT_CONNECT_TIMEOUT, MYSQL_OPT_READ_TIMEOUT, MYSQL_OPT_WRITE_TIMEOUT (in
// seconds), CLIENT_FOUND_ROWS (an UPDATE counts the rows it matched).
//
// Statements are sent as text; a prepared query's parameters are written into it as
// literals escaped for the connection (mysql_real_escape_string). Results are kept whole on
// the client; a long result is read as the server sends it through the handle instead
// (ParcourirBrutMariadb).
class TPiloteMariadb : public QSqlDriver {
    Q_OBJECT
  public:
    explicit TPiloteMariadb(QObject* parent = nullptr);
    ~TPiloteMariadb() override;

    bool hasFeature(DriverFeature fonction) const override;
    bool open(const QString& base, const QString& utilisateur, const QString& motDePasse,
              const QString& hote, int port, const QString& options) override;
    void close() override;
    QSqlResult* createResult() const override;
    // The MYSQL* of the open connection.
    QVariant handle() const override;
    QString formatValue(const QSqlField& champ, bool couperEspaces = false) const override;
    QString escapeIdentifier(const QString& nom, IdentifierType type) const override;

    MYSQL* Poignee() const { return mysql; }

  private:
    MYSQL* mysql = nullptr;
};

// The only authentication methods a workstation accepts: neither sends the password.
inline constexpr const char* MethodesAuthentification = "mysql_native_password,client_ed25519";

// The name under which QSqlDatabase::addDatabase creates the driver; registered at the
// first call.
QString NomPiloteMariadb();
