#include "browse/ui/nav.h"
#include "store/table.h"
