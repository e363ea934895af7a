#include "LoanSplit.h"
