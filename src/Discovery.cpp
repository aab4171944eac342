#include "Discovery.h"
