#include "mainSrc.h"
