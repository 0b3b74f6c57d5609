#include "widgetfixture.h"

#include "support/tempdir.h"

std::string CWidgetTest::TableScript() { return ReadWholeFile(std::string(VORRIN_TEST_DATA_DIR) + "/common/table.xrs"); }
