#include "RepaymentTable.h"
