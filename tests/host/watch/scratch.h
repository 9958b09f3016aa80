// A private scratch folder per test, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace host::watch::testing {

class Scratch {
public:
    Scratch() {
        std::string pattern = std::filesystem::temp_directory_path() / "vantrel-watch-XXXXXX";
        m_path = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string Path(const std::string& name) const { return m_path + "/" + name; }
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }

private:
    std::string m_path;
};

}  // namespace host::watch::testing
