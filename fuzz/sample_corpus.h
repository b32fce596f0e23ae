#pragma once
// A small source corpus for the fuzz targets that need a sound data folder
// (the keyword target searches it) and for their seeds: a few characters
// repeated over many pages, so phrases and wildcards match often, with
// annotations, paragraph and heading tags, a character above U+FFFF and
// variant groups.
#include "builder/builder.h"

namespace vesk::fuzz {

build::SourceCorpus SampleCorpus();

// The characters the sample pages are made of, UTF-8 (for seeds and the dictionary).
inline constexpr const char* kSampleCharacters[] = {"學", "学", "而", "時", "时", "習", "习", "之",
                                                    "子", "曰", "不", "亦", "說", "乎", "𠀀"};

} // namespace vesk::fuzz
