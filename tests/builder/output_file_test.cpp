// A data file of several write-behind windows holds exactly the bytes
// written, also where a write lands in a part already handed to the disk and
// let go of from the cache (a header written last, a patch in the middle),
// and where the file is cut or grown afterwards.
#include "builder/output_file.h"
#include "support/data_folder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace vesk::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed)
{
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t x = seed;
    for (std::uint8_t& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(x >> 24);
    }
    return bytes;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(std::vector<std::uint8_t>& expected, std::uint64_t offset, const std::vector<std::uint8_t>& bytes)
{
    if (expected.size() < offset + bytes.size())
        expected.resize(offset + bytes.size(), 0);
    std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<std::ptrdiff_t>(offset));
}

TEST(OutputFile, WritesBehindWithoutLosingOrMixingBytes)
{
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    TempDir dir;
    const fs::path temp = dir.path() / "data.tmp";
    std::string error;
    std::vector<std::uint8_t> expected;
    {
        build::OutputFile file;
        ASSERT_TRUE(file.Create(dir.path() / "data", temp, error)) << error;
        // Room for a header, then 100 MiB in pieces of odd sizes: windows
        // handed to the disk, the first ones let go of.
        const std::vector<std::uint8_t> room(4096, 0);
        ASSERT_TRUE(file.Append(room, error)) << error;
        Put(expected, 0, room);
        std::uint64_t at = room.size();
        for (std::uint32_t piece = 0; at < 100 * kMiB; ++piece) {
            const std::vector<std::uint8_t> bytes = Pattern(kMiB + 4093 * (piece % 7), piece);
            ASSERT_TRUE(file.Append(bytes, error)) << error;
            Put(expected, at, bytes);
            at += bytes.size();
        }
        // Written into parts already let go of, and past the end.
        const std::vector<std::uint8_t> header = Pattern(4096, 1000);
        const std::vector<std::uint8_t> patch = Pattern(3 * kMiB + 5, 1001);
        const std::vector<std::uint8_t> tail = Pattern(40 * kMiB, 1002);
        ASSERT_TRUE(file.WriteAt(0, header, error)) << error;
        ASSERT_TRUE(file.WriteAt(40 * kMiB - 7, patch, error)) << error;
        ASSERT_TRUE(file.WriteAt(at + kMiB, tail, error)) << error;
        Put(expected, 0, header);
        Put(expected, 40 * kMiB - 7, patch);
        Put(expected, at + kMiB, tail);
        // Cut back into the tail, as a writer sizing its file at the end does.
        const std::uint64_t size = expected.size() - 3 * kMiB;
        ASSERT_TRUE(file.Resize(size, error)) << error;
        expected.resize(size);
        ASSERT_TRUE(file.Close(error)) << error;
        file.MarkSwitched(); // the temporary file stays for reading back
    }
    const std::vector<std::uint8_t> written = ReadAll(temp);
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

} // namespace
} // namespace vesk::test
