#include <signal/OnlineReadoutValuesUnit.h>
