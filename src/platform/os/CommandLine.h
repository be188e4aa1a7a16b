#pragma once
// Command lines in the platform's form: one string, arguments separated by blanks, double
// quotes grouping blanks, backslashes literal except before a quote.
#include <string>
#include <string_view>
#include <vector>

namespace kavoro::os {

std::vector<std::string> SplitCommandLine(std::string_view commandLine);
// The argument quoted so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(std::string_view argument);

}  // namespace kavoro::os
