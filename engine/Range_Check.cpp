#include "Range_Check.h"

void throw_range_error() { throw RangeError(); }
