#include "TcpSet.h"
