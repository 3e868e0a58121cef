#include <ui/online/OnlineSettingsListsUnit.h>
