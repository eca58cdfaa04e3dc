#pragma once

#include <QCursor>
#include <QGuiApplication>

// Shows the wait cursor for its lifetime, including when an exception leaves the scope.
class TSablier {
  public:
    TSablier() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TSablier() { QGuiApplication::restoreOverrideCursor(); }
    TSablier(const TSablier&) = delete;
    TSablier& operator=(const TSablier&) = delete;
};
