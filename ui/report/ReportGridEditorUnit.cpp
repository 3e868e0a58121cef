#include <ui/report/ReportGridEditorUnit.h>
