#include "scratch_folder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace vesk::fuzz {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder()
{
    std::error_code ec;
    fs::path base = "/dev/shm";
    if (!fs::is_directory(base, ec))
        base = fs::temp_directory_path();
    std::string pattern = (base / "vesk-fuzz-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) {
        std::perror("vesk fuzz: cannot make a scratch folder");
        std::abort();
    }
    m_path = buffer.data();
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

void ScratchFolder::Write(std::string_view name, std::string_view bytes, unsigned char scramble) const
{
    std::ofstream out(m_path / name, std::ios::binary | std::ios::trunc);
    if (scramble == 0) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return;
    }
    std::string scrambled(bytes);
    for (char& c : scrambled)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ scramble);
    out.write(scrambled.data(), static_cast<std::streamsize>(scrambled.size()));
}

void ScratchFolder::Remove(std::string_view name) const
{
    std::error_code ec;
    fs::remove(m_path / name, ec);
}

void ScratchFolder::Clear() const
{
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_path, ec))
        fs::remove_all(entry.path(), ec);
}

} // namespace vesk::fuzz
