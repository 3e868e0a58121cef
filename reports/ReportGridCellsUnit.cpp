#include <reports/ReportGridCellsUnit.h>
