#include <reports/ReportHeaderFieldsUnit.h>
