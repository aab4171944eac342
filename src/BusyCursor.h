#pragma once
// Shows the wait cursor while a blocking search or module exchange runs, so the user sees
// why the window does not respond; restored on every way out.

#include <QApplication>
#include <QCursor>

class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
