#include "SwTcpFunc.h"
