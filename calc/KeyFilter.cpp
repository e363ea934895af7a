#include "KeyFilter.h"
