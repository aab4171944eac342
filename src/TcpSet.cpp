#include "TcpSet.h"

bool TTcpSetFrm::EditDevice(TModelParm&, MessagePresenter&)
{
    return false; // the dialog itself comes with its own change
}
