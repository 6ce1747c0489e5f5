#include "exchange/export_format.h"
