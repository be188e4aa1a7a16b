#pragma once
// Sentences for the result codes that reach the user: why a file or a disc could not be played.
#include <string>

#include "platform/com/HResult.h"

namespace kavoro::app {

// A short English sentence for a failure code, ending in a full stop; codes without a sentence
// of their own read "Error 0x80004005.". Any thread.
std::string MediaErrorText(HRESULT result);

}  // namespace kavoro::app
