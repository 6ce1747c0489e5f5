#include "exchange/page_transfer.h"
