#include <ui/report/ReportFieldRulesUnit.h>
