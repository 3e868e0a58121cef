#include <ui/online/OnlineReadoutsUnit.h>
