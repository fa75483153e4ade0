#include "app/Console.h"

#include <cstdio>

namespace tavolin::console {

// The system hands the arguments over as the bytes they were given as.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void Write(Stream stream, const std::string& text) {
    std::FILE* file = stream == Stream::Out ? stdout : stderr;
    std::fputs(text.c_str(), file);
    std::fflush(file);
}

} // namespace tavolin::console
