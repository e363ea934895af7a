#include "LoanQuery.h"
