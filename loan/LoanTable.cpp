#include "LoanTable.h"
