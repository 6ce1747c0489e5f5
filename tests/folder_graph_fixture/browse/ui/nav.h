#include "store/ui/keeper.h"
