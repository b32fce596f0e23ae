#include "sample_corpus.h"

#include <iterator>
#include <string>

namespace vesk::fuzz {
namespace {

const std::string kNote = "<font size=-1 color=\"#993366\">";

std::string Page(std::uint32_t number, const std::string& cell)
{
    const std::string first = number % 2 == 0 ? cell : "";
    const std::string second = number % 2 == 0 ? "" : cell;
    return "<html><head><title>p" + std::to_string(number) + "</title></head><body><table><tr><TD>" + first +
           "</TD><TD>" + second + "</TD></tr></table></body></html>";
}

} // namespace

build::SourceCorpus SampleCorpus()
{
    const std::string cells[] = {
        "學而時習之，不亦說乎。",
        "子曰：學而<br>時習之" + kNote + "學習也</font>不亦說乎",
        "学而时习之<p>子曰學而時習",
        "<h4>子曰</h4>學學學而而時時習習之之",
        "說乎" + kNote + "注曰學而時習之</font>子曰" + kNote + "又注</font>",
        "𠀀學𠀀而𠀀<p>之子曰亦",
        "亦說乎不亦說乎不亦說乎學而時習之學而時習之",
        "曰曰曰曰曰曰曰曰曰曰曰曰子子子子子子子",
    };
    build::SourceCorpus corpus;
    corpus.nodes.push_back({1, "經", "", 1, {}, 0});
    corpus.nodes.push_back({2, "論語", "", 1, {}, 0});
    build::SourceNode volume{3, "學而", "lunyu/v1", 1, {}, 0};
    for (std::uint32_t i = 0; i < 24; ++i)
        volume.pages.push_back(Page(i + 1, cells[i % std::size(cells)]));
    corpus.nodes.push_back(volume);
    build::SourceNode second{3, "為政", "lunyu/v2", 3, {}, 0};
    for (std::uint32_t i = 0; i < 6; ++i)
        second.pages.push_back(Page(i + 3, cells[(i * 3) % std::size(cells)]));
    corpus.nodes.push_back(second);
    corpus.variantTable = "5B78,5B66\n6642,65F6\n7FD2,4E60,FF1F\n4E4E,20000\n";
    return corpus;
}

} // namespace vesk::fuzz
