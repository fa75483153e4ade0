#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

// What the harnesses share: the input as bytes, a folder of their own for the files they
// write, and a check that ends the run (so that libFuzzer saves the input) when a property
// does not hold.
namespace tavolin::fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Aborts with a message; libFuzzer reports the abort as a crash and keeps the input.
// Prints bytes with everything outside printable ASCII as \xNN.
inline void Dump(const char* label, std::string_view bytes) {
    std::fprintf(stderr, "%s (%zu bytes): ", label, bytes.size());
    for (const char c : bytes.substr(0, 400)) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            std::fputc(b, stderr);
        else
            std::fprintf(stderr, "\\x%02X", b);
    }
    std::fputc('\n', stderr);
}

[[noreturn]] inline void Fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "property violated: %s\n", what);
    if (!detail.empty())
        Dump("detail", detail);
    std::abort();
}

inline void Check(bool holds, const char* what, std::string_view detail = {}) {
    if (!holds)
        Fail(what, detail);
}

// A folder of this process's own under the temporary folder, removed when it ends.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavolin-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            Fail("cannot create a scratch folder");
        m_path = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        Fail("cannot write a scratch file", path);
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether bytes are well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
inline bool IsWellFormedUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = 0;
        char32_t c = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            c = b & 0x1Fu;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            c = b & 0x0Fu;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            c = b & 0x07u;
        } else {
            return false;
        }
        if (i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0u) != 0x80u)
                return false;
            c = (c << 6) | (t & 0x3Fu);
        }
        if ((len == 3 && c < 0x800) || (len == 4 && c < 0x10000) || c > 0x10FFFF ||
            (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

} // namespace tavolin::fuzz
