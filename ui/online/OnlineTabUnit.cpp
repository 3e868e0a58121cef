#include <ui/online/OnlineTabUnit.h>
