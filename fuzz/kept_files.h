#pragma once
// The files of a scratch folder kept from one input to the next. A file is
// rewritten only when its bytes change, and then in place, so its pages are
// reused: an input that changes one part of a data folder costs one write
// instead of a new folder. Entries are never freed (a removed file keeps its
// buffer), so that no input leaves more allocations than it frees.
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace vesk::fuzz {

class KeptFiles {
public:
    explicit KeptFiles(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    // Makes folder/name hold bytes, each XORed with scramble when it is not 0.
    void Put(std::string_view name, std::string_view bytes, unsigned char scramble = 0);
    // Makes folder/name a hard link to target.
    void Link(std::string_view name, const std::filesystem::path& target);
    // Makes folder/name absent.
    void Remove(std::string_view name);

private:
    enum class Kind { Absent, Bytes, Link };
    struct File {
        Kind kind = Kind::Absent;
        std::string bytes; // as given, before scrambling
        unsigned char scramble = 0;
        std::filesystem::path target;
    };

    File& Entry(std::string_view name);
    void Unlink(std::string_view name, File& file);

    std::filesystem::path m_folder;
    std::map<std::string, File, std::less<>> m_files;
    std::string m_scrambled; // reused for scrambled writes
};

} // namespace vesk::fuzz
