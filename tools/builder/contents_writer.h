#pragma once
// The contents file "kav.dir": no header, one 216-byte record per contents
// node in depth-first order, little-endian:
//   0   200  name, UTF-16LE, NUL-terminated inside the field (<= 99 units)
//   200 4    level (1 category, 2 work, 3 volume)
//   204 4    docID: 1-based page-store entry of the first page of the range
//   208 4    docNo: number of pages in the range
//   212 2    curFileName: page number of the range's first page
//   214 2    zero
// A category's or work's range spans its volumes; one without volumes has
// docNo 0, curFileName 0 and docID one past the pages before it.
#include "builder/builder.h"
#include "builder/output_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vesk::build {

inline constexpr std::size_t kContentsRecordSize = 216;
inline constexpr std::size_t kMaxContentsRecords = 9999;
inline constexpr std::size_t kMaxNameUnits = 99;

struct ContentsRecord {
    std::u16string name;
    std::int32_t level = 0;
    std::int32_t docID = 0;
    std::int32_t docNo = 0;
    std::uint16_t curFileName = 0;
};

// Checks the contents tree (levels, names, volumes and their page numbers)
// and computes the records. False with a one-line error naming the node.
bool MakeContentsRecords(const SourceCorpus& corpus, std::vector<ContentsRecord>& records,
                         std::string& error);

bool WriteContents(const std::vector<ContentsRecord>& records, OutputFile& file,
                   std::string& error);

} // namespace vesk::build
