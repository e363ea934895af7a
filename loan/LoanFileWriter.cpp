#include "LoanFileWriter.h"
