#include "LoanFileReader.h"
