// Colon paths into an XML tree ("create_user:user_details:sec_ques_1").
#pragma once

#include <string_view>
#include <vector>

// The path cut at every ':' into segments, in order, as views into path: an empty text gives one
// empty segment, a null text none.
std::vector<std::string_view> xSplitXmlPath(const char* path);
