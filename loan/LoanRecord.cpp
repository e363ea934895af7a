#include "LoanRecord.h"
