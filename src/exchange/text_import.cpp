#include "exchange/text_import.h"
