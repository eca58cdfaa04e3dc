#pragma once

#include <QString>
#include <vector>

class QSqlDatabase;

// The engine's write transaction (BEGIN IMMEDIATE on the file, START TRANSACTION on the
// server) ... COMMIT on the module's connection, so that another running copy
// waits instead of computing the same identifier or writing the same setting twice.
// Rolls back when left without Valider().
class TTransactionImmediate {
  public:
    explicit TTransactionImmediate(const QString& nomConnexion);
    ~TTransactionImmediate();
    TTransactionImmediate(const TTransactionImmediate&) = delete;
    TTransactionImmediate& operator=(const TTransactionImmediate&) = delete;
    // A row this transaction inserted, by the id the server gave it. When the connection
    // breaks during COMMIT, the server may have made the commit or not: finding the row,
    // once the connection is open again, tells which. Without one noted, the transaction
    // (whose statements set values rather than add rows) is simply run again.
    void NoterInsertion(const QString& table, const QString& colonneId, qint64 id);
    void Valider();

  private:
    struct TInsertion {
        QString table, colonneId;
        qint64 id;
    };
    bool ValidationFaite(QSqlDatabase& base);
    QString nomConnexion;
    bool enCours = false;
    std::vector<TInsertion> insertions;
};
