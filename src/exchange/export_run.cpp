#include "exchange/export_run.h"
