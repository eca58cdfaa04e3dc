#pragma once

#include <mysql.h>

#include <QMetaType>
#include <QSqlResult>
#include <vector>

class TPiloteMariadb;

// One statement's result on a TPiloteMariadb connection: the rows kept whole on the client
// (mysql_store_result), so that the connection takes the next statement at once; a field is
// read from the row's text into the QVariant type of its column.
class TResultatMariadb : public QSqlResult {
  public:
    explicit TResultatMariadb(const TPiloteMariadb* pilote);
    ~TResultatMariadb() override;
    TResultatMariadb(const TResultatMariadb&) = delete;
    TResultatMariadb& operator=(const TResultatMariadb&) = delete;

  protected:
    QVariant data(int i) override;
    bool isNull(int i) override;
    bool reset(const QString& requete) override;
    bool fetch(int i) override;
    bool fetchNext() override;
    bool fetchFirst() override;
    bool fetchLast() override;
    int size() override;
    int numRowsAffected() override;
    QVariant lastInsertId() const override;
    QSqlRecord record() const override;
    void detachFromResultSet() override;
    QVariant handle() const override;

  private:
    void Liberer();
    MYSQL* Poignee() const;

    MYSQL_RES* resultat = nullptr;
    MYSQL_ROW ligne = nullptr;
    unsigned long* longueurs = nullptr;
    std::vector<QMetaType> types;
    qint64 lignesTouchees = -1;
    QVariant dernierId;
};
