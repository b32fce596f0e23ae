#pragma once
// Small readers for the builder tests: whole files and little-endian numbers.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vesk::test {

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::uint32_t U32At(const std::string& bytes, std::size_t at)
{
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | static_cast<std::uint8_t>(bytes.at(at + static_cast<std::size_t>(k)));
    return v;
}

inline std::uint16_t U16At(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes.at(at)) |
                                      static_cast<std::uint8_t>(bytes.at(at + 1)) << 8);
}

} // namespace vesk::test
