#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace tavolin::testing {

// A path as the program spells it, UTF-8 text in the host's own style (a drive and "\" on
// Windows), and back: a narrow string there would otherwise be read in the ANSI code page.
inline std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}
inline std::filesystem::path FromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
// A path of a fixture, written with "/", in the host's own separators.
inline std::string HostSeparators(std::string path) {
    for (char& c : path) {
        if (c == '/')
            c = static_cast<char>(std::filesystem::path::preferred_separator);
    }
    return path;
}

// A fresh folder of its own under the system's temporary folder, removed with everything in
// it when the object goes.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "tavolin-test") {
        std::mt19937_64 random(std::random_device{}() ^
                               static_cast<std::uint64_t>(
                                   std::chrono::steady_clock::now().time_since_epoch().count()));
        for (;;) {
            m_path =
                std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random()));
            if (std::filesystem::create_directory(m_path))
                break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Writes a file below the folder (making its folders) and returns its path.
    std::filesystem::path Write(const std::string& name, const std::string& bytes = "x") const {
        const std::filesystem::path file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        return file;
    }

private:
    std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace tavolin::testing
