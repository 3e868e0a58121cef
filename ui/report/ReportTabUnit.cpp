#include <ui/report/ReportTabUnit.h>
