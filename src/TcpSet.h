#pragma once
// The settings dialog of one module.

#include "SwTcpFunc.h"

#include <QDialog>

class MessagePresenter;

class TTcpSetFrm : public QDialog
{
    Q_OBJECT
public:
    // Reads the module, shows the dialog modally, writes on OK. True exactly when the dialog
    // was shown and a write succeeded. Errors raised while reading pass to the caller.
    static bool EditDevice(TModelParm& entry, MessagePresenter& presenter);
};
