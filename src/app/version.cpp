#include "resources/version.h"

namespace sumwise {

const char* const kVersionText = SUMWISE_VERSION_TEXT;
const wchar_t* const kVersionWideText = L"" SUMWISE_VERSION_TEXT;

}  // namespace sumwise
