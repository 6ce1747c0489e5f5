// (in progress)
#include "browse/ui/page_selector.h"
