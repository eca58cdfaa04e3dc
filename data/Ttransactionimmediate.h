#pragma once

#include <QString>

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
    void Valider();

  private:
    QString nomConnexion;
    bool enCours = false;
};
